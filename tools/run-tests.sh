#!/usr/bin/env bash
# Installs what is missing, builds the presets and runs every test: natively,
# natively again under AddressSanitizer and UndefinedBehaviorSanitizer, the
# Windows programs under Wine, in a private prefix on a private X display
# made for this run, and the page in Debian's Chromium against the native
# tactimer-cli.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
bash tools/install-web-tests.sh
source tools/headless-wine.sh

trap headless_wine_stop EXIT

# The prefix is made while the builds run.
headless_wine_start

cmake --preset native
cmake --build --preset native
cmake --preset windows
cmake --build --preset windows
cmake --preset sanitize
cmake --build --preset sanitize
cmake --preset web
cmake --build --preset web

headless_wine_ready
ctest --preset native
ctest --preset sanitize
ctest --preset windows
ctest --preset web
