#!/usr/bin/env bash
# Installs, with apt-get, only the Debian packages that the build, the tests
# and the run command need and that are not there yet. Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-dev clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  python3 python3-yaml python3-midiutil python3-mido midicsv openttd-openmsx wine wine64 xvfb x11-utils imagemagick osslsigncode openssl
  fonts-wine fonts-ipafont-gothic locales
  emscripten terser chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# Debian's npm, unless a node that brings its own is installed.
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Japanese captions render only under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
