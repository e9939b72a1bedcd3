#!/usr/bin/env bash
# The "..." button opens the directory picker at the root path; a folder
# opened on another drive, or on C:, becomes the root path (with its final
# backslash) and the group caption follows; Cancel changes nothing.
source "$(dirname "$0")/lib.sh"

main="Mivox Installation"
picker="Select Path"
mkdir -p "$WINEPREFIX/drive_c/Programs"
without_product_record
start_program "$MIVOX_MEDIUM/Setup.exe"
drive wait "$main" >/dev/null
free_c=$(drive text "$main" 110)

drive click "$main" 107
drive wait "$picker" >/dev/null
expect_text "picker starts at the root path" 'C:\' "$picker" 201
drive select "$picker" 202 "[-z-]"
expect_text "another drive" 'Z:\' "$picker" 201
drive click "$picker" Cancel
drive --timeout 5000 gone "$picker"
expect_eq "Cancel leaves the root path" 'C:\' "$(drive text "$main" 106)"

drive click "$main" 107
drive wait "$picker" >/dev/null
drive select "$picker" 202 "[-z-]"
expect_text "drive Z:" 'Z:\' "$picker" 201
drive select "$picker" 202 "[-c-]"
expect_text "back on C:" 'C:\' "$picker" 201
drive open "$picker" 203 "[Programs]"
expect_text "opened folder" 'C:\Programs\' "$picker" 201
screenshot picker
drive click "$picker" Ok
drive --timeout 5000 gone "$picker"
expect_text "picked root path" 'C:\Programs\' "$main" 106
expect_eq "group caption" 'Installation: C:\Programs\Mivox' "$(drive text "$main" 105)"
expect_near "free space of the same drive" "$free_c" "$(drive text "$main" 110)" 500

drive click "$main" "Exit"
expect_eq "exit code after Exit" "0" "$(wait_exit 20)"
rmdir "$WINEPREFIX/drive_c/Programs" 2>/dev/null || true
finish
