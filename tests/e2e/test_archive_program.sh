#!/usr/bin/env bash
# The self-extracting archive program unpacks the medium into the folder the
# user confirms, starts its Setup.exe and waits for it: Setup shows the
# product program's version and date as kept in the archive.
source "$(dirname "$0")/lib.sh"

archive="$(dirname "$MIVOX_MEDIUM")/Mivox10.EXE"
caption="Mivox 4.10 Archive"
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')" 2>/dev/null)
rm -rf "$temp/Mivox10"

start_program "$archive"
drive wait "$caption" >/dev/null
expect_eq "the proposed folder is named after the archive" "1" \
    "$(drive text "$caption" 65535 | grep -c 'Mivox10$')"
drive click "$caption" "Yes"

main="Mivox Installation"
drive --timeout 30000 wait "$main" >/dev/null
expect_eq "Setup runs from the unpacked folder" "4.10.0.10" "$(drive text "$main" 102)"
expect_eq "the product program keeps its date" \
    "$(LC_ALL=C date -r "$MIVOX_MEDIUM/APP/Mivox.EXE" +%b/%d/%Y)" "$(drive text "$main" 103)"
for file in Setup.exe APP/Mivox.EXE APP/Samples/Calibration/VX200.CAL Misc/comm.drv Misc/Install.Exe; do
    expect_eq "unpacked $file" "same" \
        "$(cmp -s "$MIVOX_MEDIUM/$file" "$temp/Mivox10/$file" && echo same || echo different)"
done
expect_eq "the archive waits while Setup runs" "timeout" "$(wait_exit 1)"
drive click "$main" "Exit"
expect_eq "the archive ends with Setup" "0" "$(wait_exit 20)"
finish
