#!/usr/bin/env bash
# Shows that the release is reproducible: builds it twice, from copies of the
# sources in two fresh folders at different paths, one after the other, and
# compares the SHA-256 of both builds' executables, pages and zips.
# Usage: tools/check-reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
copies=("$work/one" "$work/second/copy of the sources")
for copy in "${copies[@]}"; do
    mkdir -p "$copy"
    git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- -cf - | tar -xf - -C "$copy"
    (cd "$copy" && bash tools/release.sh >"$copy.log" 2>&1) || {
        cat "$copy.log"
        exit 1
    }
done

status=0
for file in build/release/app/tactimer.exe build/release/cli/tactimer-cli.exe dist/tactimer.html \
    dist/Tactimer-*-win64.zip; do
    sums=()
    for copy in "${copies[@]}"; do
        sums+=("$(cd "$copy" && sha256sum $file)")
    done
    echo "${sums[0]}"
    if [ "${sums[0]}" != "${sums[1]}" ]; then
        echo "differs when built elsewhere: ${sums[1]}"
        status=1
    fi
done
exit $status
