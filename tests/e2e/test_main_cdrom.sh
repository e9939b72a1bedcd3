#!/usr/bin/env bash
# Started from a CD-ROM drive, the installer disables "&Disks". Typing D: as
# a CD-ROM needs a restart of the Wine session, so this test has a session of
# its own and ends it.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

ln -sfn "$MIVOX_MEDIUM" "$WINEPREFIX/dosdevices/d:"
# Wine reads its drives from the 64-bit view, which a 32-bit loader's reg
# reaches only when asked.
wine reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /reg:64 /f >/dev/null
"$MIVOX_WINE_SESSION" "$MIVOX_WINE_DIR" restart >/dev/null

main="Mivox Installation"
start_program 'D:\Setup.exe'
drive --timeout 30000 wait "$main" >/dev/null
expect_eq "version read from the CD" "4.10.0.10" "$(drive text "$main" 102)"
expect_eq "Disks is disabled" "0" "$(drive enabled "$main" Disks)"
expect_eq "Install stays enabled" "1" "$(drive enabled "$main" Install)"
drive click "$main" "Exit"
expect_eq "exit code after Exit" "0" "$(wait_exit 20)"
finish
