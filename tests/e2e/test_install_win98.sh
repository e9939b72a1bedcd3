#!/usr/bin/env bash
# A full installation with Wine's version set to win98, for the current user
# without a desktop copy: the Win9X files go to the Windows directory, no
# driver service and no VDD entry are written, the 12-line log names the
# user's program group, and a COMM.DRV dated 11 May 1998 is replaced by the
# medium's known good driver after OK. A Wine session of this test's own.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

vdd='HKLM\SYSTEM\CurrentControlSet\Control\VirtualDeviceDrivers'

wine reg add 'HKCU\Software\Wine\AppDefaults\Setup.exe' /v Version /d win98 /f >/dev/null
wine reg delete 'HKLM\SYSTEM\CurrentControlSet\Services\Mivox_NT' /f >/dev/null 2>&1 || true
wine reg add "$vdd" /v VDD /t REG_MULTI_SZ /d 'vdd.dll' /f >/dev/null
fresh_system
mkdir -p "$c/windows/system"
rm -f "$c/windows/system/comm.drv" # a new file, never one shared with other prefixes
printf 'suspect driver' >"$c/windows/system/comm.drv"
touch -d '1998-05-11 12:00' "$c/windows/system/comm.drv"

install_to_registration no no no
register_by_file Ann Tester
close_release_notes
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
expect_eq "no NT driver files" "" "$(ls "$(windows_file system32)" | grep -i '^mivox' || true)"
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
