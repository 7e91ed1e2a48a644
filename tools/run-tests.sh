#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: natively,
# and the Windows programs under Wine, in a private prefix on a private X
# display made for this run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
source tools/headless-wine.sh

trap headless_wine_stop EXIT

# The prefix is made while the builds run.
headless_wine_start

cmake --preset native
cmake --build --preset native
cmake --preset windows
cmake --build --preset windows

headless_wine_ready
ctest --preset native
ctest --preset windows
