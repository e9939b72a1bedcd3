#!/usr/bin/env bash
# fit-disk1.sh INSTALL.EXE: marks Install.Exe to run from the swap file
# (IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP: Windows loads the whole image before
# it starts, so nothing is paged in from drive A: while the user changes
# disks; MinGW's linker has no switch for it), then checks that disk 1 holds
# it beside Install.Ini and a full part. A program that does not fit is
# removed, so the build fails until it does.
set -euo pipefail
exe=$1
disk=1457664   # a formatted 1.44 MB disk
cluster=512
part=1400000
ini=512        # Install.Ini: ten short lines, one cluster

# The COFF header follows the "PE\0\0" signature found at offset 0x3C; its
# Characteristics field is the last of its seven fields.
pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
at=$((pe + 22))
flags=$(od -An -tu2 -j"$at" -N2 "$exe" | tr -d ' ')
flags=$((flags | 0x0400))
printf "$(printf '\\%03o\\%03o' $((flags & 255)) $((flags >> 8)))" |
    dd of="$exe" bs=1 seek="$at" conv=notrunc status=none
if ((($(od -An -tu2 -j"$at" -N2 "$exe" | tr -d ' ') & 0x0400) == 0)); then
    echo "fit-disk1: $exe could not be marked to run from swap" >&2
    rm -f "$exe"
    exit 1
fi

clusters() { echo $(((($1) + cluster - 1) / cluster * cluster)); }
size=$(stat -c %s "$exe")
used=$(($(clusters "$size") + ini + $(clusters "$part")))
if ((used > disk)); then
    echo "fit-disk1: $exe is $size bytes: with Install.Ini and a full part disk 1 needs" \
        "$used of its $disk bytes" >&2
    rm -f "$exe"
    exit 1
fi
echo "fit-disk1: $exe is $size bytes; disk 1 uses $used of $disk bytes"
