#!/usr/bin/env bash
# Packs the Windows test kit from a built windows preset: both programs,
# every Windows test program, the runner and run-tests.cmd, and the bytes
# the native tactimer-cli writes for each case of the same-bytes test (with
# its standard input), so that the kit can compare tactimer-cli.exe's files
# with them on Windows.
# Usage: tools/make-test-kit.sh WINDOWS_BUILD_DIR NATIVE_CLI OUTPUT_ZIP
set -euo pipefail
if [ $# -ne 3 ]; then
    echo "usage: tools/make-test-kit.sh WINDOWS_BUILD_DIR NATIVE_CLI OUTPUT_ZIP" >&2
    exit 2
fi
build=$1
native=$2
output=$3
cd "$(dirname "$0")/.."
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}

cases=$(mktemp -d)
trap 'rm -rf "$cases"' EXIT
# One case a line, without its input, which goes to NN.in.
: >"$cases/cases"
entries=(tests/cli-same-bytes/cases="$cases/cases")
number=0
while IFS= read -r line; do
    number=$((number + 1))
    stem=$(printf '%02d' "$number")
    arguments=${line%% <<< *}
    input=
    [ "$arguments" = "$line" ] || input=${line#* <<< }
    printf '%s' "$input" | tr '|' '\n' >"$cases/$stem.in"
    echo "$arguments" >>"$cases/cases"
    read -ra words <<<"$arguments"
    status=0
    "$native" "${words[@]}" <"$cases/$stem.in" >"$cases/$stem.out" 2>"$cases/$stem.err" ||
        status=$?
    echo "$status" >"$cases/$stem.status"
    for kind in in out err status; do
        entries+=(tests/cli-same-bytes/$stem.$kind="$cases/$stem.$kind")
    done
done <tests/cli/same_bytes_cases.txt

# The songs that the cases read, where they name them.
for song in tests/midi/songs/*; do
    entries+=("$song=$song")
done

mkdir -p "$(dirname "$output")"
python3 tools/make_release_zip.py "$output" "Tactimer-$version-win64-tests" "$SOURCE_DATE_EPOCH" \
    run-tests.cmd=tests/kit/run-tests.cmd \
    README.txt="$build/tests/kit/README.txt" \
    bin/tactimer.exe="$build/app/tactimer.exe" \
    bin/tactimer-cli.exe="$build/cli/tactimer-cli.exe" \
    tests/kit_runner.exe="$build/tests/kit/kit_runner.exe" \
    tests/core_tests.exe="$build/tests/core_tests.exe" \
    tests/cli_tests.exe="$build/tests/cli/cli_tests.exe" \
    tests/console_output_test.exe="$build/tests/cli/console_output_test.exe" \
    tests/resource_tests.exe="$build/tests/ui/resource_tests.exe" \
    tests/ui_tests.exe="$build/tests/ui/ui_tests.exe" \
    tests/stack_protector_test.exe="$build/tests/release/stack_protector_test.exe" \
    tests/soak.exe="$build/tests/soak/soak.exe" \
    "${entries[@]}"
