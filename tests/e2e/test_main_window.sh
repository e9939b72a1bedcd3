#!/usr/bin/env bash
# The installer starts from the sample medium with no earlier installation
# recorded: it shows the product's version and date, proposes C:\Mivox, shows
# the required and the free megabytes, follows the folder box, and leaves by
# Exit. A screenshot of the main dialog is kept.
source "$(dirname "$0")/lib.sh"

main="Mivox Installation"
without_product_record
start_program "$MIVOX_MEDIUM/Setup.exe"
drive wait "$main" >/dev/null

expect_eq "product" "Mivox" "$(drive text "$main" 101)"
expect_eq "version of APP\\Mivox.EXE" "4.10.0.10" "$(drive text "$main" 102)"
expect_eq "date of APP\\Mivox.EXE" "$(LC_ALL=C date -r "$MIVOX_MEDIUM/APP/Mivox.EXE" +%b/%d/%Y)" \
    "$(drive text "$main" 103)"
expect_eq "root path" 'C:\' "$(drive text "$main" 106)"
expect_eq "folder" "Mivox" "$(drive text "$main" 108)"
expect_eq "group caption" 'Installation: C:\Mivox' "$(drive text "$main" 105)"
expect_eq "required space of APP and WinNT" \
    "$(megabytes "$(bytes_in "$MIVOX_MEDIUM/APP" "$MIVOX_MEDIUM/WinNT")")" "$(drive text "$main" 109)"
expect_near "free space of C:" \
    "$(($(df -B1 --output=avail "$WINEPREFIX/drive_c" | tail -1) / 1000000))" \
    "$(drive text "$main" 110)" 500
expect_eq "Disks is enabled on a hard disk" "1" "$(drive enabled "$main" Disks)"
expect_eq "reading the record created the product key" "0" \
    "$(wine reg query 'HKLM\Software\Vexlor\Mivox' >/dev/null 2>&1; echo $?)"

drive set "$main" 108 "Measure"
expect_eq "group caption follows the folder" 'Installation: C:\Measure' "$(drive text "$main" 105)"
screenshot main

drive click "$main" "Exit"
expect_eq "exit code after Exit" "0" "$(wait_exit 20)"
drive --timeout 2000 gone "$main"
finish
