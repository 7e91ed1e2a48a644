#!/usr/bin/env bash
# Builds Tactimer's Windows release in a fresh build folder, and the page
# (tools/web.sh), and writes dist/Tactimer-VERSION-win64.zip, which holds
# the two programs and tactimer.html, and dist/SHA256SUMS. The same commit gives
# the same bytes: every time stamp comes from SOURCE_DATE_EPOCH, which is the
# last commit's time unless the caller sets it.
#
# With TACTIMER_SIGN_PKCS12 and TACTIMER_SIGN_PASSWORD set, the programs are
# signed before they are zipped (see tools/sign-exe.sh); a signature carries
# its own time, so a signed zip is not reproducible.
# Usage: tools/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

rm -rf build/release dist
cmake --preset release >/dev/null
cmake --build --preset release
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
name=Tactimer-$version
stage=build/release/stage
mkdir -p "$stage" dist
cp build/release/app/tactimer.exe build/release/cli/tactimer-cli.exe "$stage/"
bash tools/web.sh

if [ -n "${TACTIMER_SIGN_PKCS12:-}${TACTIMER_SIGN_PASSWORD:-}" ]; then
    for program in tactimer.exe tactimer-cli.exe; do
        bash tools/sign-exe.sh "$stage/$program"
        echo "signed $program with the certificate in $TACTIMER_SIGN_PKCS12"
    done
fi

python3 tools/make_release_zip.py "dist/$name-win64.zip" "$name" "$SOURCE_DATE_EPOCH" \
    tactimer.exe="$stage/tactimer.exe" \
    tactimer-cli.exe="$stage/tactimer-cli.exe" \
    tactimer.html=dist/tactimer.html \
    README.txt=build/release/release/README.txt \
    LICENSE.txt=LICENSE
(cd dist && sha256sum "$name-win64.zip" >SHA256SUMS)
echo "wrote dist/$name-win64.zip and dist/SHA256SUMS:"
cat dist/SHA256SUMS
