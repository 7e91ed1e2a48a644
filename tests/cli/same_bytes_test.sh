#!/usr/bin/env bash
# tactimer-cli.exe under Wine, its output redirected to files, writes the
# same bytes and exits with the same status as the native build, for the
# same arguments: Japanese captions, full-width input, failures and all.
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

cases=(
    "120 480"
    "--lang en 120 480"
    "--format csv 120 480"
    "--format json --triplets 93.5 480"
    "--format json --lang en --triplets 93.5 480"
    "--triplets --lang ja １２０ ４８０"
    "140 960 --format csv --lang en"
    "--bom --format csv --triplets 120 480"
    "--bom 120 0"
    "-- -120 -480"
    "0 480"
    "120 1e999 --format json"
    "1e-91 4.2e94"
    "120 0"
    "120"
    "--format xml 1 2"
    "--version"
    "--help"
)
failures=0
for arguments in "${cases[@]}"; do
    read -ra words <<<"$arguments"
    native_status=0
    "$native" "${words[@]}" >"$work/native.out" 2>"$work/native.err" || native_status=$?
    windows_status=0
    tools/wine-run.sh "$windows" "${words[@]}" >"$work/windows.out" 2>"$work/windows.err" ||
        windows_status=$?
    if [ "$native_status" != "$windows_status" ] ||
        ! cmp -s "$work/native.out" "$work/windows.out" ||
        ! cmp -s "$work/native.err" "$work/windows.err"; then
        echo "FAILED: tactimer-cli $arguments"
        echo "  status $native_status natively, $windows_status under Wine"
        diff "$work/native.out" "$work/windows.out" | head -5 || true
        diff "$work/native.err" "$work/windows.err" | head -5 || true
        failures=$((failures + 1))
    else
        echo "ok: tactimer-cli $arguments ($(wc -c <"$work/native.out") bytes, status $native_status)"
    fi
done
exit $((failures > 0))
