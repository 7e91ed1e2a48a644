#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: natively,
# and the Windows build under Wine in a private prefix made for this run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

work=$(mktemp -d)
export WINEPREFIX=$work/wineprefix
# Wine links the prefix's user folders into HOME; keep them in the temp dir.
export HOME=$work/home
mkdir -p "$HOME"

cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# One wineserver for the whole run spares every test its start-up. It and the
# services that wineboot starts must not inherit CTest's output pipes, or
# CTest waits for them to close: start them here, writing to a log.
mkdir -p "$WINEPREFIX"
WINEDEBUG=-all wineserver -p
# Making a prefix takes several seconds: do it while the builds run.
tools/wine-run.sh wineboot -i >"$work/wine.log" 2>&1 </dev/null &
boot=$!

cmake --preset native
cmake --build --preset native
cmake --preset windows
cmake --build --preset windows

wait "$boot"

ctest --preset native
ctest --preset windows
