#!/usr/bin/env bash
# Started under a name other than Setup.exe, the installer looks for the
# product program in the wrong place: it says so, shows "?" and still opens.
source "$(dirname "$0")/lib.sh"

medium="$MIVOX_E2E_OUT/renamed-medium"
rm -rf "$medium"
cp -r "$MIVOX_MEDIUM" "$medium"
mv "$medium/Setup.exe" "$medium/Install2.exe"
winpath=$(winepath -w "$medium/Install2.exe" 2>/dev/null | tr -d '\r')

start_program "$medium/Install2.exe"
drive wait "FileNotFound" >/dev/null
expect_eq "warning names the missing file" "$winpath\\App\\Mivox.EXE" "$(drive text FileNotFound 65535)"
screenshot warning
drive click "FileNotFound" "OK"

main="Mivox Installation"
drive wait "$main" >/dev/null
expect_eq "version" "?" "$(drive text "$main" 102)"
expect_eq "date" "?" "$(drive text "$main" 103)"
drive click "$main" "Exit"
expect_eq "exit code after Exit" "0" "$(wait_exit 20)"
finish
