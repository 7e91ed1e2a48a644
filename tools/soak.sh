#!/usr/bin/env bash
# Soaks tactimer.exe under Wine: thousands of calculations typed and clicked,
# 1,000 version-box cycles and 1,000 frame resizes, every result checked, the
# process's memory, windows and GDI objects printed every 1,000 steps.
# Usage: tools/soak.sh [calculations]   (default 10000)
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tactimer soak

source tools/headless-wine.sh
trap headless_wine_stop EXIT
headless_wine_start
headless_wine_ready

tools/wine-run.sh build/windows/tests/soak/soak.exe build/windows/app/tactimer.exe \
    --calculations "${1:-10000}" --box-cycles 1000 --resizes 1000 --sample-every 1000
