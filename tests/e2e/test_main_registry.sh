#!/usr/bin/env bash
# An earlier installation recorded in the registry: from version 4.0 on its
# folder is proposed, split into root path and folder; an older one is
# ignored.
source "$(dirname "$0")/lib.sh"

main="Mivox Installation"
key='HKLM\Software\Vexlor\Mivox'

# open_with DIR VERSION: starts the installer over that record.
open_with() {
    wine reg add "$key" /v ProgramDir /d "$1" /f >/dev/null
    wine reg add "$key" /v ProgramVersion /d "$2" /f >/dev/null
    start_program "$MIVOX_MEDIUM/Setup.exe"
    drive wait "$main" >/dev/null
}

close_main() {
    drive click "$main" "Exit"
    expect_eq "exit code after Exit" "0" "$(wait_exit 20)"
}

# The first figure of each case is waited for: the window may be found an
# instant before its fields are filled.
open_with 'D:\Apps\Mivox' "4.5"
expect_text "4.5: root path" 'D:\Apps\' "$main" 106
expect_eq "4.5: folder" "Mivox" "$(drive text "$main" 108)"
expect_eq "4.5: group caption" 'Installation: D:\Apps\Mivox' "$(drive text "$main" 105)"
close_main

open_with 'D:\Apps\Mivox' "3.2"
expect_text "3.2: folder" "Mivox" "$main" 108
expect_eq "3.2: root path" 'C:\' "$(drive text "$main" 106)"
close_main

open_with 'D:\Apps\' "4.10.0.10"
expect_text "folder with a final backslash: root path" 'D:\Apps\' "$main" 106
expect_eq "folder with a final backslash: no folder" "" "$(drive text "$main" 108)"
close_main

without_product_record
finish
