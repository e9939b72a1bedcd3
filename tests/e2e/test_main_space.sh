#!/usr/bin/env bash
# The required space counts every file of APP and the Windows NT tree, files
# of more than 2 GiB included, and leaves out Win9X, Misc and hidden folders.
source "$(dirname "$0")/lib.sh"

medium="$MIVOX_E2E_OUT/big-medium"
rm -rf "$medium"
cp -r "$MIVOX_MEDIUM" "$medium"
# Sparse files: large as the system reports them, yet taking no disk space.
truncate -s 2500000000 "$medium/APP/Samples/RECORDING.MDF"
truncate -s 3000000 "$medium/WinNT/System32/MIVOXLIB.DLL"
truncate -s 7000000 "$medium/Win9X/System/NOTCOUNTED.VXD"
mkdir -p "$medium/APP/.hidden"
truncate -s 9000000 "$medium/APP/.hidden/NOTCOUNTED.DAT"
expected=$(($(bytes_in "$medium/APP" "$medium/WinNT") - 9000000))

main="Mivox Installation"
without_product_record
start_program "$medium/Setup.exe"
drive wait "$main" >/dev/null
expect_eq "required megabytes" "$(megabytes "$expected")" "$(drive text "$main" 109)"
drive click "$main" "Exit"
expect_eq "exit code after Exit" "0" "$(wait_exit 20)"
rm -rf "$medium"
finish
