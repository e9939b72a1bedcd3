#!/usr/bin/env bash
# Signs the medium's programs with Authenticode (SHA-256):
#   scripts/sign.sh CERT KEY FILE...
# CERT is the code-signing certificate (PEM, or DER; may hold the chain),
# KEY its private key (PEM or DER). Each FILE is replaced by its signed copy
# only once signing has succeeded. A time stamp server is added when
# MIVOX_TIMESTAMP_URL names one.
set -euo pipefail
if (($# < 3)); then
    echo "usage: $0 CERT KEY FILE..." >&2
    exit 2
fi
cert=$1
key=$2
shift 2
timestamp=()
if [[ -n "${MIVOX_TIMESTAMP_URL:-}" ]]; then
    timestamp=(-ts "$MIVOX_TIMESTAMP_URL")
fi
for file in "$@"; do
    signed=$file.signing.$$
    rm -f "$signed"
    if ! osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Mivox Setup" \
        -i "http://www.vexlor.example/" "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null; then
        rm -f "$signed"
        echo "Signing $file failed" >&2
        exit 1
    fi
    mv -f "$signed" "$file"
    echo "Signed $file"
done
