#!/usr/bin/env bash
# Runs the fuzzers for longer than the test run does, one after the other.
# Usage: tools/fuzz-long.sh [seconds] [fuzzer...]
#   seconds: for each fuzzer (default 600); fuzzers: form_controller, cli,
#   midi_reader, picture (default all). Builds the native preset first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(form_controller cli midi_reader picture)
cmake --preset native >/dev/null
cmake --build --preset native --target fuzzers
fuzz=build/native/tests/fuzz
for fuzzer in "${fuzzers[@]}"; do
    case $fuzzer in
        form_controller) corpus=$fuzz/corpus seeds=tests/fuzz/seeds max_len=601 ;;
        cli) corpus=$fuzz/cli_corpus seeds=tests/fuzz/cli_seeds max_len=4096 ;;
        midi_reader) corpus=$fuzz/midi_corpus seeds=tests/midi/songs max_len=8192 ;;
        picture) corpus=$fuzz/picture_corpus seeds=tests/fuzz/picture_seeds max_len=512 ;;
        *)
            echo "unknown fuzzer: $fuzzer" >&2
            exit 2
            ;;
    esac
    mkdir -p "$corpus"
    echo "== ${fuzzer}_fuzzer for $seconds s"
    "$fuzz/project/${fuzzer}_fuzzer" -max_total_time="$seconds" -max_len="$max_len" \
        -print_final_stats=1 "$corpus" "$seeds"
done
