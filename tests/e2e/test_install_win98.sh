#!/usr/bin/env bash
# A full installation with Wine's version set to win98, for the current user
# without a desktop copy: the Win9X files go to the Windows directory, no
# driver service and no VDD entry are written, the 12-line log names the
# user's program group, and a COMM.DRV dated 11 May 1998 is replaced by the
# medium's known good driver after OK. A Wine session of this test's own.
set -euo pipefail
name=$(basename "$0" .sh)
session="$MIVOX_E2E_OUT/$name-session"
mkdir -p "$MIVOX_E2E_OUT"
"$MIVOX_WINE_SESSION" "$session" start >/dev/null
MIVOX_WINE_DIR=$session
source "$(dirname "$0")/lib.sh"
trap 'end_program; "$MIVOX_WINE_SESSION" "$session" stop >/dev/null 2>&1 || true' EXIT

main="Mivox Installation"
ask="Please Confirm"
c="$WINEPREFIX/drive_c"
vdd='HKLM\SYSTEM\CurrentControlSet\Control\VirtualDeviceDrivers'
answer() {
    expect_text "question: $1" "$1" "$ask" 401
    drive click "$ask" "$([[ $2 == yes ]] && echo 403 || echo 404)" >/dev/null
}

wine reg add 'HKCU\Software\Wine\AppDefaults\Setup.exe' /v Version /d win98 /f >/dev/null
wine reg delete 'HKLM\SYSTEM\CurrentControlSet\Services\Mivox_NT' /f >/dev/null 2>&1 || true
wine reg add "$vdd" /v VDD /t REG_MULTI_SZ /d 'vdd.dll' /f >/dev/null
without_product_record
rm -rf "$c/Mivox"
mkdir -p "$c/windows/system"
printf 'suspect driver' >"$c/windows/system/comm.drv"
touch -d '1998-05-11 12:00' "$c/windows/system/comm.drv"

start_program "$MIVOX_MEDIUM/Setup.exe"
drive --timeout 30000 wait "$main" >/dev/null
drive click "$main" "Install" >/dev/null
answer 'Ready to begin installation: C:\Mivox' yes
answer 'Do you have an MDF Mic floppy, place it in Drive A:' no
answer 'Shortcuts for All Users or Current User' no
answer 'Product Group Shortcut Folder' no
if drive --timeout 8000 wait "Product Registration" >/dev/null 2>&1; then
    drive set "Product Registration" 602 "Ann" >/dev/null
    drive set "Product Registration" 603 "Tester" >/dev/null
    drive click "Product Registration" 655 >/dev/null
    drive click "Product Registration" 1 >/dev/null
    drive --timeout 5000 click "Please remember to mail your registration." "OK" >/dev/null || true
fi
for notes in RELEASE.TXT README.TXT; do
    expect_text "release notes $notes shown" "C:\\Mivox\\$notes" "Text File Viewer" 901
    drive --timeout 10000 click "Text File Viewer" 1 >/dev/null
done
expect_text "COMM.DRV question" "Replace with known good driver ?" \
    "Serial port driver COMM.DRV may be defective" 65535
drive click "Serial port driver COMM.DRV may be defective" "OK" >/dev/null
answer 'The system must Reboot to complete the installation.' no
expect_eq "installer exited" "0" "$(wait_exit 30)"

expect_eq "COMM.DRV replaced by the known good driver" "0" \
    "$(cmp -s "$MIVOX_MEDIUM/Misc/comm.drv" "$c/windows/system/comm.drv"; echo $?)"
for f in $(cd "$MIVOX_MEDIUM/Win9X" && find . -type f); do
    up=$(dirname "$f" | tr '[:upper:]' '[:lower:]')/$(basename "$f" | tr '[:lower:]' '[:upper:]')
    expect_eq "Windows directory file $up" "0" "$(cmp -s "$MIVOX_MEDIUM/Win9X/$f" "$c/windows/$up"; echo $?)"
done
expect_eq "no NT driver files" "" "$(ls "$c/windows/system32" | grep -i '^mivox' || true)"
expect_eq "no driver service" "1" \
    "$(wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\Mivox_NT' >/dev/null 2>&1; echo $?)"
expect_eq "VDD list unchanged" "vdd.dll" \
    "$(wine reg query "$vdd" /v VDD | tr -d '\r' | sed -n 's/.*REG_MULTI_SZ *//p')"
expect_eq "product recorded" "C:\\Mivox" \
    "$(wine reg query 'HKLM\Software\Vexlor\Mivox' /v ProgramDir | tr -d '\r' | sed -n 's/.*REG_SZ *//p')"
expect_eq "Install.Log has 12 lines" "12" "$(grep -c $'\r$' "$c/Mivox/Install.Log")"
programs=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v Programs | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
expect_eq "log names the user's program group" \
    "$(printf '%s\n' "Made Dir: $programs\\Vexlor" "File Tree: $programs\\Vexlor\\Mivox\\*.*")" \
    "$(tail -2 "$c/Mivox/Install.Log" | tr -d '\r')"
finish
