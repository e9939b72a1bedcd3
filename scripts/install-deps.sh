#!/usr/bin/env bash
# Installs the packages of scripts/packages.txt that are missing (Debian, as
# root). With --always, refreshes the lists and installs them all.
set -euo pipefail
cd "$(dirname "$0")"
mapfile -t packages < <(grep -v '^#' packages.txt)
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [[ "${1:-}" == "--always" ]]; then
    missing=("${packages[@]}")
fi
if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y "${missing[@]}"
fi
