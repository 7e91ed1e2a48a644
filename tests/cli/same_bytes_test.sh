#!/usr/bin/env bash
# tactimer-cli.exe under Wine, its output redirected to files, writes the
# same bytes and exits with the same status as the native build, for the
# same arguments: Japanese captions, full-width input, failures and all.
# The cases, one a line, are in same_bytes_cases.txt, which the Windows test
# kit also takes; after " <<< " comes what standard input holds, its lines
# a "|" apart.
# Runs in the Wine environment that tools/run-tests.sh sets up.
# Usage: same_bytes_test.sh NATIVE_CLI WINDOWS_CLI_EXE
set -euo pipefail
native=$1
windows=$2
cd "$(dirname "$0")/../.."
if [ ! -x "$native" ]; then
    echo "no native build of tactimer-cli at $native: build the native preset first"
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
while IFS= read -r line; do
    arguments=${line%% <<< *}
    input=
    [ "$arguments" = "$line" ] || input=${line#* <<< }
    printf '%s' "$input" | tr '|' '\n' >"$work/input"
    read -ra words <<<"$arguments"
    native_status=0
    "$native" "${words[@]}" <"$work/input" >"$work/native.out" 2>"$work/native.err" ||
        native_status=$?
    windows_status=0
    tools/wine-run.sh "$windows" "${words[@]}" <"$work/input" >"$work/windows.out" \
        2>"$work/windows.err" || windows_status=$?
    if [ "$native_status" != "$windows_status" ] ||
        ! cmp -s "$work/native.out" "$work/windows.out" ||
        ! cmp -s "$work/native.err" "$work/windows.err"; then
        echo "FAILED: tactimer-cli $line"
        echo "  status $native_status natively, $windows_status under Wine"
        diff "$work/native.out" "$work/windows.out" | head -5 || true
        diff "$work/native.err" "$work/windows.err" | head -5 || true
        failures=$((failures + 1))
    else
        echo "ok: tactimer-cli $line ($(wc -c <"$work/native.out") bytes, status $native_status)"
    fi
done <tests/cli/same_bytes_cases.txt
exit $((failures > 0))
