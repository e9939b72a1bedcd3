#!/usr/bin/env bash
# Checks the signing step: makes a throw-away code-signing certificate, signs
# a copy of Setup.exe with scripts/sign.sh, and verifies the signature with
# that certificate as the only trusted authority. A copy changed after
# signing must fail the verification.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/win64/Setup.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Mivox test signer" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,digitalSignature,keyCertSign" \
    -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

cp "$program" "$work/Setup.exe"
scripts/sign.sh "$work/cert.pem" "$work/key.pem" "$work/Setup.exe" >/dev/null
if ! osslsigncode verify -CAfile "$work/cert.pem" -in "$work/Setup.exe" >"$work/verify.log" 2>&1; then
    echo "The signed Setup.exe does not verify:"
    cat "$work/verify.log"
    exit 1
fi
if ! grep -q "Mivox test signer" "$work/verify.log"; then
    echo "The signature does not name the test signer:"
    cat "$work/verify.log"
    exit 1
fi

# One byte of code changed after signing.
cp "$work/Setup.exe" "$work/Changed.exe"
printf '\x90' | dd of="$work/Changed.exe" bs=1 seek=4096 conv=notrunc status=none
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/Changed.exe" >/dev/null 2>&1; then
    echo "A Setup.exe changed after signing still verifies"
    exit 1
fi
echo "Setup.exe signs and verifies; a changed copy is refused"
