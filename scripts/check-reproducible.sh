#!/usr/bin/env bash
# Checks that Setup.exe is reproducible: a second clean win64 build of just
# that program, in another folder, must give the same bytes as the first
# (build/win64, which the test command builds).
set -euo pipefail
cd "$(dirname "$0")/.."
first=${1:-build/win64}
second=build/reproducible-win64

rm -rf "$second"
cmake --preset win64 -B "$second" >/dev/null
cmake --build "$second" --target Setup >/dev/null
if cmp -s "$first/Setup.exe" "$second/Setup.exe"; then
    echo "Setup.exe is reproducible: $first and $second give the same bytes"
    rm -rf "$second"
else
    echo "Setup.exe differs between $first and $second:"
    cmp -l "$first/Setup.exe" "$second/Setup.exe" | head -20
    exit 1
fi
