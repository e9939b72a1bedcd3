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
    # A mirror in the middle of a sync serves lists of the wrong size for a
    # minute or two: try again before giving up, and if the lists still do
    # not refresh, install from the ones at hand, which fails by name for a
    # package they lack.
    for attempt in 1 2 3; do
        apt-get update && break
        if ((attempt == 3)); then
            echo "install-deps: the package lists did not refresh; using the ones at hand" >&2
        else
            sleep $((attempt * 20))
        fi
    done
    apt-get install -y "${missing[@]}"
fi
