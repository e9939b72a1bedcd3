#!/usr/bin/env bash
# Installs the packages of scripts/packages.txt, and those named as arguments,
# that are missing (Debian, as root), and Wine's 32-bit half where the machine
# runs i386 programs. With --always, refreshes the lists and installs them all.
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
# A mirror in the middle of a sync serves lists of the wrong size for a
# minute or two: try again before giving up, and if the lists still do not
# refresh, install from the ones at hand, which fails by name for a package
# they lack.
refresh_lists() {
    local attempt
    for attempt in 1 2 3; do
        apt-get update && return 0
        if ((attempt == 3)); then
            echo "install-deps: the package lists did not refresh; using the ones at hand" >&2
        else
            sleep $((attempt * 20))
        fi
    done
}
if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    refresh_lists
    apt-get install -y "${missing[@]}"
fi

# Wine's 32-bit half runs the 32-bit build's Wine tests. The machine may not
# run i386 programs at all, and while a mirror syncs the i386 lists may not
# match the amd64 ones, so apt refuses it: then the test command skips those
# tests, saying why, and the rest goes on.
if ./runs-i386.sh >/dev/null &&
    { ((always)) || ! dpkg -s wine32:i386 >/dev/null 2>&1; }; then
    echo "Installing: wine32:i386"
    export DEBIAN_FRONTEND=noninteractive
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        refresh_lists
    fi
    log=$(mktemp)
    if ! apt-get install -y wine32:i386 >"$log" 2>&1; then
        echo "install-deps: wine32:i386 could not be installed; the 32-bit Wine tests will be skipped:" >&2
        grep '^E: ' "$log" | tail -1 >&2
    fi
    rm -f "$log"
fi
