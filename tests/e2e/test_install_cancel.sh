#!/usr/bin/env bash
# Cancel during the copy: the copy meter's Cancel is pressed while the copy
# waits on a question about a newer file; the main dialog stays, the older
# log is left as it was, nothing is recorded, and Install asks again from the
# start. Then a full installation over a file that another process holds
# open: the replacement waits as a pending rename and lands after
# wineboot -r. A Wine session of this test's own.
set -euo pipefail
name=$(basename "$0" .sh)
session="$MIVOX_E2E_OUT/$name-session"
mkdir -p "$MIVOX_E2E_OUT"
"$MIVOX_WINE_SESSION" "$session" start >/dev/null
MIVOX_WINE_DIR=$session
source "$(dirname "$0")/lib.sh"
holder=""
trap 'end_program; [[ -z $holder ]] || kill $holder 2>/dev/null || true;
      "$MIVOX_WINE_SESSION" "$session" stop >/dev/null 2>&1 || true' EXIT

main="Mivox Installation"
ask="Please Confirm"
c="$WINEPREFIX/drive_c"
newer='C:\Mivox\MIVOX.HLP already exists and is newer'
answer() {
    expect_text "question: $1" "$1" "$ask" 401
    drive click "$ask" "$([[ $2 == yes ]] && echo 403 || echo 404)" >/dev/null
}

without_product_record
rm -rf "$c/Mivox"
mkdir -p "$c/Mivox"
printf 'older log\r\n' >"$c/Mivox/Install.Log"
printf 'help of tomorrow' >"$c/Mivox/MIVOX.HLP"
touch -d 'tomorrow' "$c/Mivox/MIVOX.HLP"

start_program "$MIVOX_MEDIUM/Setup.exe"
drive --timeout 30000 wait "$main" >/dev/null
drive click "$main" "Install" >/dev/null
answer 'Ready to begin installation: C:\Mivox' yes
expect_text "newer file question" "Do you wish to overwrite this file?" "$newer" 65535
drive click "Installing Files" 2 >/dev/null
drive click "$main" "Install" >/dev/null
drive click "$main" "Exit" >/dev/null
drive click "$newer" "No" >/dev/null
drive --timeout 5000 gone "Installing Files" >/dev/null || true
expect_eq "main dialog stays after the cancel" "0" \
    "$(drive --timeout 1000 wait "$main" >/dev/null 2>&1; echo $?)"
expect_eq "no question after the cancel" "1" \
    "$(drive --timeout 1000 wait "$ask" >/dev/null 2>&1; echo $?)"
expect_eq "older log left as it was" "older log" "$(tr -d '\r' <"$c/Mivox/Install.Log")"
expect_eq "newer file kept" "help of tomorrow" "$(cat "$c/Mivox/MIVOX.HLP")"
expect_eq "nothing recorded" "1" \
    "$(wine reg query 'HKLM\Software\Vexlor\Mivox' /v ProgramDir >/dev/null 2>&1; echo $?)"
expect_eq "no group made" "1" \
    "$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivox' >/dev/null 2>&1; echo $?)"

# A second click starts again from the checks; No leaves, Exit ends.
drive click "$main" "Install" >/dev/null
answer 'Ready to begin installation: C:\Mivox' no
drive click "$main" "Exit" >/dev/null
expect_eq "Exit after the cancel ends the installer" "0" "$(wait_exit 20)"

# A full installation while another process holds MIVOX.INI open.
rm -f "$c/Mivox/MIVOX.HLP" "$c/Mivox/ready"
printf 'old settings' >"$c/Mivox/MIVOX.INI"
touch -d '2000-01-01' "$c/Mivox/MIVOX.INI"
wine "$(dirname "$MIVOX_UIDRIVER")/holdopen.exe" 'C:\Mivox\MIVOX.INI' 'C:\Mivox\ready' &
holder=$!
for _ in $(seq 100); do [[ -f "$c/Mivox/ready" ]] && break; sleep 0.1; done
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
answer 'The system must Reboot to complete the installation.' no
expect_eq "installer exited" "0" "$(wait_exit 30)"
touch "$c/Mivox/MIVOX.INI.release"
wait "$holder" || true
holder=""
expect_eq "file in use untouched" "old settings" "$(cat "$c/Mivox/MIVOX.INI")"
expect_eq "replacement waits beside it" "0" \
    "$(cmp -s "$MIVOX_MEDIUM/APP/Mivox.INI" "$c/Mivox/MIVOX.IN_"; echo $?)"
expect_eq "pending rename recorded" "1" \
    "$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
        /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | grep -ci 'MIVOX.IN_' || true)"
wine wineboot -r >/dev/null 2>&1 || true
expect_eq "file replaced after the restart" "0" \
    "$(cmp -s "$MIVOX_MEDIUM/APP/Mivox.INI" "$c/Mivox/MIVOX.INI"; echo $?)"
finish
