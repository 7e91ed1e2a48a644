#!/usr/bin/env bash
# Signs a Windows executable in place with an Authenticode signature
# (SHA-256) made by osslsigncode, from the certificate and key in
# TACTIMER_SIGN_PKCS12 (a .p12 or .pfx file) opened with
# TACTIMER_SIGN_PASSWORD. With TACTIMER_SIGN_TIMESTAMP_URL set, an RFC 3161
# time-stamp server countersigns it, so that it stays valid after the
# certificate expires.
# Usage: tools/sign-exe.sh EXE
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: tools/sign-exe.sh EXE" >&2
    exit 2
fi
: "${TACTIMER_SIGN_PKCS12:?needs the .p12 or .pfx file to sign with}"
: "${TACTIMER_SIGN_PASSWORD?needs the password of $TACTIMER_SIGN_PKCS12}"

exe=$1
timestamp=()
if [ -n "${TACTIMER_SIGN_TIMESTAMP_URL:-}" ]; then
    timestamp=(-ts "$TACTIMER_SIGN_TIMESTAMP_URL")
fi
# The password goes through a pipe, not the command line that others see.
osslsigncode sign -pkcs12 "$TACTIMER_SIGN_PKCS12" \
    -readpass <(printf '%s' "$TACTIMER_SIGN_PASSWORD") \
    -h sha256 -n Tactimer "${timestamp[@]}" -in "$exe" -out "$exe.signed" >/dev/null
mv "$exe.signed" "$exe"
