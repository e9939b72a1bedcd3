#!/usr/bin/env bash
# Installs the packages of scripts/packages.txt, and those named as arguments,
# that are missing (Debian, as root). With --always, refreshes the lists and
# installs them all.
set -euo pipefail
cd "$(dirname "$0")"
always=0
if [[ "${1:-}" == "--always" ]]; then
    always=1
    shift
fi
mapfile -t packages < <(grep -v '^#' packages.txt)
packages+=("$@")
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((always)); then
    missing=("${packages[@]}")
fi
if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y "${missing[@]}"
fi
