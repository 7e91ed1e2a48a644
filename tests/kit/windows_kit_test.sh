#!/usr/bin/env bash
# The Windows test kit as a Windows user gets it: packed from this build,
# unpacked into a fresh folder, and its run-tests.cmd run through Wine's cmd
# in a fresh Wine prefix on a display of its own. Every test of the kit must
# pass, the last line must say so, and results\junit.xml and
# results\summary.txt must say the same.
# Usage: windows_kit_test.sh WINDOWS_BUILD_DIR NATIVE_CLI
set -euo pipefail
build=$1
native=$2
cd "$(dirname "$0")/../.."
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash tools/make-test-kit.sh "$build" "$native" "$work/kit.zip"
echo "kit: $(stat -c %s "$work/kit.zip") bytes"
mkdir "$work/unpacked"
python3 -m zipfile -e "$work/kit.zip" "$work/unpacked"
kit=$(echo "$work"/unpacked/Tactimer-*-win64-tests)

status=0
(
    # Apart from the test run's own prefix and display.
    unset WINEPREFIX DISPLAY
    source tools/headless-wine.sh
    trap headless_wine_stop EXIT
    headless_wine_start
    headless_wine_ready
    cd "$kit"
    CI=true "$root/tools/wine-run.sh" cmd /c run-tests.cmd </dev/null
) >"$work/kit.out" 2>&1 || status=$?
tr -d '\r' <"$work/kit.out" >"$work/kit.txt"
cat "$work/kit.txt"

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
tests=(core_tests cli_tests cli_same_bytes stack_protector resource_tests cli_console_output
    ui_tests soak_short)
[ "$status" = 0 ] || fail "run-tests.cmd exited with $status"
for name in "${tests[@]}"; do
    grep -q "^PASS  $name " "$work/kit.txt" || fail "$name did not pass"
done
last="${#tests[@]} passed, 0 failed"
[ "$(grep -v '^$' "$work/kit.txt" | tail -1)" = "$last" ] || fail "the last line is not '$last'"
grep -q "^$last" "$kit/results/summary.txt" || fail "summary.txt does not end with '$last'"
grep -q "^system: Windows " "$kit/results/summary.txt" || fail "summary.txt does not name the system"
python3 - "$kit/results/junit.xml" "${#tests[@]}" <<'PYTHON' || fail "junit.xml is not as expected"
import sys
import xml.etree.ElementTree as tree
suites = tree.parse(sys.argv[1]).getroot()
assert suites.get('tests') == sys.argv[2] and suites.get('failures') == '0', suites.attrib
assert len(suites.findall('./testsuite/testcase')) == int(sys.argv[2])
PYTHON
for log in "$kit"/results/*.log; do
    [ -s "$log" ] || fail "$(basename "$log") is empty"
done
exit $((failures > 0))
