#!/usr/bin/env bash
# Builds the Windows test kit, dist/Tactimer-VERSION-win64-tests.zip: both
# programs, every Windows test program and run-tests.cmd, which runs them
# all on a Windows 10 or 11 desktop (see the README). The native build
# supplies the bytes that tactimer-cli.exe must write there.
# Usage: tools/windows-kit.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target tactimer-cli
cmake --preset windows >/dev/null
cmake --build --preset windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
kit=dist/Tactimer-$version-win64-tests.zip
bash tools/make-test-kit.sh build/windows build/native/cli/tactimer-cli "$kit"
echo "wrote $kit ($(stat -c %s "$kit") bytes)"
