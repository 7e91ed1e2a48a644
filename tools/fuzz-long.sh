#!/usr/bin/env bash
# Runs the Calculate fuzzer for longer than the test run does.
# Usage: tools/fuzz-long.sh [seconds]   (default 600; builds the native preset first)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
cmake --preset native >/dev/null
cmake --build --preset native --target fuzzers
corpus=build/native/tests/fuzz/corpus
mkdir -p "$corpus"
exec build/native/tests/fuzz/project/form_controller_fuzzer -max_total_time="$seconds" \
    -max_len=601 -print_final_stats=1 "$corpus" tests/fuzz/seeds
