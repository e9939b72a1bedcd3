#!/usr/bin/env bash
# Cancel during the copy: the copy meter's Cancel is pressed while the copy
# waits on a question about a newer file; the main dialog stays, the older
# log is left as it was, nothing is recorded, and Install asks again from the
# start. Then a full installation over a file that another process holds
# open: the replacement waits as a pending rename and lands after
# wineboot -r. A Wine session of this test's own.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
holder=""
on_exit '[[ -z $holder ]] || kill $holder 2>/dev/null'

newer='C:\Mivox\MIVOX.HLP already exists and is newer'
fresh_system
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
install_to_registration no no no
register_by_file Ann Tester
finish_installation
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
