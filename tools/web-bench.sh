#!/usr/bin/env bash
# The page's figures, side by side in one run: its size, the time from
# opening it to the first results, and its MIDI reader against the npm
# packages midi-file (on the 31 MB benchmark song) and @tonejs/midi (on a
# 2 MB one made the same way), with the native tactimer-cli on the same
# files. Figures only; nothing passes or fails.
# Usage: tools/web-bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
bash tools/install-web-tests.sh
bash tools/web.sh >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native --target tactimer-cli write_benchmark_song request_benchmark >/dev/null

songs=$(mktemp -d)
trap 'rm -rf "$songs"' EXIT
build/native/tests/bench/write_benchmark_song "$songs/song-31mb.mid"
# 41,000 events a track instead of 640,000: about 2 MB.
build/native/tests/bench/write_benchmark_song "$songs/song-2mb.mid" 41000
node tests/web/bench.mjs "$PWD/dist/tactimer.html" "$PWD/build/native/cli/tactimer-cli" \
    "$PWD/build/native/tests/bench/request_benchmark" \
    "$songs/song-31mb.mid" "$songs/song-2mb.mid"
