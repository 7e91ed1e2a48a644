#!/usr/bin/env bash
# tactimer-cli.exe under Wine writes the same MIDI files as the native build,
# byte for byte, for the same arguments: tempo-map files and songs at
# another resolution, to files (a Japanese name too) and to standard output
# in binary, with the same reports, refusals and exit statuses. Each case of
# same_files_cases.txt runs in a folder of its own holding the test songs, a
# real song (real.mid) and an existing.mid; after " <<< " comes standard
# input, its lines a "|" apart. Every file the two leave behind must match.
# Runs in the Wine environment that tools/run-tests.sh sets up.
# Usage: same_files_test.sh NATIVE_CLI WINDOWS_CLI_EXE REAL_SONG
set -euo pipefail
native=$(realpath "$1")
windows=$(realpath "$2")
real=$3
cd "$(dirname "$0")/../.."
if [ ! -x "$native" ]; then
    echo "no native build of tactimer-cli at $native: build the native preset first"
    exit 1
fi
wine_run=$(realpath tools/wine-run.sh)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
while IFS= read -r line; do
    arguments=${line%% <<< *}
    input=
    [ "$arguments" = "$line" ] || input=${line#* <<< }
    printf '%s' "$input" | tr '|' '\n' >"$work/input"
    read -ra words <<<"$arguments"
    for side in native windows; do
        rm -rf "${work:?}/$side"
        mkdir "$work/$side"
        cp tests/midi/songs/* "$work/$side/"
        cp "$real" "$work/$side/real.mid"
        printf 'old' >"$work/$side/existing.mid"
    done
    native_status=0
    (cd "$work/native" && "$native" "${words[@]}" <"$work/input" >../native.out 2>../native.err) ||
        native_status=$?
    windows_status=0
    (cd "$work/windows" && "$wine_run" "$windows" "${words[@]}" <"$work/input" >../windows.out \
        2>../windows.err) || windows_status=$?
    if [ "$native_status" != "$windows_status" ] ||
        ! cmp -s "$work/native.out" "$work/windows.out" ||
        ! cmp -s "$work/native.err" "$work/windows.err" ||
        ! diff -r "$work/native" "$work/windows" >/dev/null; then
        echo "FAILED: tactimer-cli $line"
        echo "  status $native_status natively, $windows_status under Wine"
        diff "$work/native.out" "$work/windows.out" | head -5 || true
        diff "$work/native.err" "$work/windows.err" | head -5 || true
        diff -r "$work/native" "$work/windows" | head -5 || true
        failures=$((failures + 1))
    else
        echo "ok: tactimer-cli $line ($(wc -c <"$work/native.out") bytes out, status" \
            "$native_status, $(ls "$work/native" | wc -l) files)"
    fi
done <tests/cli/same_files_cases.txt
exit $((failures > 0))
