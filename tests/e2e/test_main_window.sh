#!/usr/bin/env bash
# The installer starts from the sample medium, shows the product's version and
# date and the proposed folder, follows the folder box, and leaves by Exit.
source "$(dirname "$0")/lib.sh"

main="Mivox Installation"
start_program "$MIVOX_MEDIUM/Setup.exe"
drive wait "$main" >/dev/null

expect_eq "product" "Mivox" "$(drive text "$main" 101)"
expect_eq "version of APP\\Mivox.EXE" "4.10.0.10" "$(drive text "$main" 102)"
expect_eq "date of APP\\Mivox.EXE" "$(LC_ALL=C date -r "$MIVOX_MEDIUM/APP/Mivox.EXE" +%b/%d/%Y)" \
    "$(drive text "$main" 103)"
expect_eq "root path" 'C:\' "$(drive text "$main" 106)"
expect_eq "folder" "Mivox" "$(drive text "$main" 108)"
expect_eq "group caption" 'Installation: C:\Mivox' "$(drive text "$main" 105)"

drive set "$main" 108 "Measure"
expect_eq "group caption follows the folder" 'Installation: C:\Measure' "$(drive text "$main" 105)"
screenshot main

drive click "$main" "Exit"
expect_eq "exit code after Exit" "0" "$(wait_exit 20)"
drive --timeout 2000 gone "$main"
finish
