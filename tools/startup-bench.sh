#!/usr/bin/env bash
# Measures tactimer.exe's start-up under Wine against a minimal window program.
# Usage: tools/startup-bench.sh [runs]   (default 21)
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tactimer minimal_window startup_benchmark

source tools/headless-wine.sh
trap headless_wine_stop EXIT
headless_wine_start
headless_wine_ready

tools/wine-run.sh build/windows/tests/bench/startup_benchmark.exe \
    build/windows/app/tactimer.exe build/windows/tests/bench/minimal_window.exe "${1:-21}"
