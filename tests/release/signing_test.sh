#!/usr/bin/env bash
# The release's optional Authenticode signature: a throwaway self-signed
# code-signing certificate signs a copy of tactimer.exe through
# tools/sign-exe.sh; osslsigncode must accept it with that certificate as its
# trusted root and reject a copy changed by one byte after signing; and the
# signed copy must still start under Wine and show its start-up results.
# Runs in the Wine environment that tools/run-tests.sh sets up.
# Usage: signing_test.sh TACTIMER_EXE WINDOW_PROBE_EXE
set -euo pipefail
exe=$1
probe=$2
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tactimer test signer" \
    -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" \
    -out "$work/signer.p12" -passout pass:throwaway
cp "$exe" "$work/tactimer.exe"
TACTIMER_SIGN_PKCS12=$work/signer.p12 TACTIMER_SIGN_PASSWORD=throwaway \
    bash tools/sign-exe.sh "$work/tactimer.exe"

failures=0
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/tactimer.exe" >"$work/verify.log" 2>&1
then
    echo "ok: the signed copy verifies"
else
    cat "$work/verify.log"
    echo "FAILED: the signed copy does not verify"
    failures=$((failures + 1))
fi

# One byte of the code, well inside .text, changed after signing.
cp "$work/tactimer.exe" "$work/changed.exe"
printf '\x90' | dd of="$work/changed.exe" bs=1 seek=$((0x1000)) conv=notrunc status=none
if cmp -s "$work/tactimer.exe" "$work/changed.exe"; then
    printf '\xcc' | dd of="$work/changed.exe" bs=1 seek=$((0x1000)) conv=notrunc status=none
fi
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1; then
    echo "FAILED: a copy changed after signing still verifies"
    failures=$((failures + 1))
else
    echo "ok: a copy changed by one byte is rejected"
fi

tools/wine-run.sh "$work/tactimer.exe" &
app=$!
if tools/wine-run.sh "$probe" wait-results >/dev/null; then
    echo "ok: the signed copy starts and shows its results"
    tools/wine-run.sh "$probe" close
else
    echo "FAILED: the signed copy shows no start-up results"
    failures=$((failures + 1))
    kill "$app" 2>/dev/null || true
fi
wait "$app" || true
exit $((failures > 0))
