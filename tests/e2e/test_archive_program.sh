#!/usr/bin/env bash
# The self-extracting archive program unpacks the medium into a new folder
# it makes under the temporary folder (never one someone made there before,
# with a library in it), starts its Setup.exe and waits for it: Setup shows
# the product program's version and date as kept in the archive; when Setup
# has ended, the folder is gone. A crafted archive that names a file outside
# its folder is refused, saying why, before anything is written.
source "$(dirname "$0")/lib.sh"

# le VALUE BYTES: VALUE as BYTES little-endian bytes.
le() {
    local value=$1 i
    for ((i = 0; i < $2; i++)); do
        printf "\\$(printf '%03o' $(((value >> (8 * i)) & 255)))"
    done
}

# crc FILE: the CRC-32 of FILE, as the four little-endian bytes gzip keeps.
crc() {
    gzip -c "$1" | tail -c 8 | head -c 4
}

# crafted_archive OUT PATH...: the extractor program with an archive of one
# small file under each PATH, exactly as the packer lays it out.
crafted_archive() {
    local out=$1 dir offset=0 path
    shift
    dir=$(mktemp -d)
    printf 'crafted' >"$dir/file"
    : >"$dir/index"
    for path in "$@"; do
        {
            le ${#path} 4
            printf '%s' "$path"
            le $offset 8
            le 7 8
            crc "$dir/file"
            le 0 4
        } >>"$dir/index"
        cat "$dir/file" >>"$dir/payload"
        offset=$((offset + 7))
    done
    {
        cat "$(dirname "$MIVOX_MEDIUM")/ArchiveExtractor.exe" "$dir/payload" "$dir/index"
        printf 'MVXSFX01'
        le $offset 8
        le "$(stat -c %s "$dir/index")" 4
        crc "$dir/index"
    } >"$out"
    rm -rf "$dir"
}

archive="$(dirname "$MIVOX_MEDIUM")/Mivox10.EXE"
caption="Mivox 4.10 Archive"
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')" 2>/dev/null)
# The name of earlier versions, made beforehand by another program.
rm -rf "$temp"/Mivox10*
mkdir -p "$temp/Mivox10"
echo planted >"$temp/Mivox10/VERSION.DLL"

start_program "$archive"
drive wait "$caption" >/dev/null
proposal=$(drive text "$caption" 65535 | grep -x '.*\\Mivox10\.[0-9A-F]\{8\}' || true)
unpacked="$temp/${proposal##*\\}"
expect_eq "the proposed folder is a new one named after the archive" "1 made" \
    "$(grep -c . <<<"$proposal") $([[ -d $unpacked && -n $proposal ]] && echo made || echo missing)"
expect_eq "the folder is the archive's own: empty" "" "$(ls -A "$unpacked" 2>&1)"
drive click "$caption" "Yes"

main="Mivox Installation"
drive --timeout 30000 wait "$main" >/dev/null
expect_eq "Setup runs from the unpacked folder" "4.10.0.10" "$(drive text "$main" 102)"
expect_eq "the product program keeps its date" \
    "$(LC_ALL=C date -r "$MIVOX_MEDIUM/APP/Mivox.EXE" +%b/%d/%Y)" "$(drive text "$main" 103)"
for file in Setup.exe APP/Mivox.EXE APP/Samples/Calibration/VX200.CAL Misc/comm.drv Misc/Install.Exe; do
    expect_eq "unpacked $file" "same" \
        "$(cmp -s "$MIVOX_MEDIUM/$file" "$unpacked/$file" && echo same || echo different)"
done
expect_eq "the archive waits while Setup runs" "timeout" "$(wait_exit 1)"
drive click "$main" "Exit"
expect_eq "the archive ends with Setup" "0" "$(wait_exit 20)"
expect_eq "the unpacked folder is removed" "gone" "$([[ -e $unpacked ]] && echo left || echo gone)"
expect_eq "the folder made beforehand is left as it was" "planted" "$(cat "$temp/Mivox10/VERSION.DLL")"
rm -rf "$temp/Mivox10"

# A crafted archive: a plain file, then one that climbs out of the folder.
crafted="$MIVOX_E2E_OUT/Crafted.EXE"
crafted_archive "$crafted" "inside.txt" 'sub\..\..\outside.txt'
rm -rf "$temp"/Crafted* "$temp/outside.txt"
start_program "$crafted"
expect_eq "a crafted archive is refused, saying why" \
    'This archive program is damaged: it names the file "sub\..\..\outside.txt", which is not a plain path inside the folder it is unpacked to. Nothing was unpacked. Copy it again from the original disks or download.' \
    "$(drive --timeout 10000 wait "$caption" >/dev/null && drive text "$caption" 65535)"
drive click "$caption" "OK"
expect_eq "the refused archive ends" "1" "$(wait_exit 20)"
expect_eq "nothing is written outside or inside the folder" "none" \
    "$(compgen -G "$temp/Crafted*" >/dev/null || [[ -e "$temp/outside.txt" ]] && echo written || echo none)"
finish
