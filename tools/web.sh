#!/usr/bin/env bash
# Builds the page: installs what is missing, builds the web preset (the
# portable rooms and the page's binding, compiled by Debian's emscripten)
# and writes dist/tactimer.html, one file that holds its WebAssembly,
# scripts and styles and asks for nothing else. The same commit gives the
# same bytes, wherever it is built.
# Usage: tools/web.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset web >/dev/null
cmake --build --preset web
mkdir -p dist
cp build/web/web/tactimer.html dist/tactimer.html
echo "wrote dist/tactimer.html: $(stat -c %s dist/tactimer.html) bytes"
