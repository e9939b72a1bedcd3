#!/usr/bin/env bash
# Builds the sample medium and runs its Setup.exe under Wine. With a display
# ($DISPLAY) the installer opens there for you to use; without one it runs
# under Xvfb, is driven through a full installation, leaves a screenshot and
# prints where the product, its log and its records landed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# MIVOX_BUILD names another build folder of the win64 preset. MIVOX_SMTP_SERVER
# (a host name or address, such as 127.0.0.1 for a local aiosmtpd) is written
# as the mail program's SMTP server, and the driven run registers by e-mail.
build=${MIVOX_BUILD:-build/win64}
cmake --preset win64 -B "$build" >/dev/null
# The archive too: it packs the medium, and a medium newer than its archive
# would not be the product the floppy set cuts.
cmake --build "$build" --target medium archive uidriver
session=tests/wine/wine-session.sh
dir=$build/wine-run

if [[ -n "${DISPLAY:-}" ]]; then
    export MIVOX_DISPLAY=$DISPLAY
    "$session" "$dir" run "$build/medium/Setup.exe"
    exit $?
fi

trap '"$session" "$dir" stop' EXIT
eval "$("$session" "$dir" env)"
if [[ -n "${MIVOX_SMTP_SERVER:-}" ]]; then
    wine reg add 'HKCU\Software\Microsoft\Internet Mail and News\Mail' \
        /v "Default SMTP Server" /d "$MIVOX_SMTP_SERVER" /f >/dev/null 2>&1
fi
drive() { wine "$build/uidriver.exe" "$@" | tr -d '\r'; }
main="Mivox Installation"

wine "$build/medium/Setup.exe" &
setup=$!
drive --timeout 30000 wait "$main"
echo "Setup.exe is running on the sample medium ($build/medium):"
echo "  Version:      $(drive text "$main" 102)"
echo "  Destination:  $(drive text "$main" 105)"
shot=$build/setup-main-window.png
import -window root "$shot"
echo "  Screenshot:   $shot"

# A full installation, answered as a user would: Yes throughout, no restart.
ask="Please Confirm"
answer() {
    drive --timeout 60000 wait-text "$ask" 401 "$1" >/dev/null
    drive click "$ask" "$2" >/dev/null
}
drive click "$main" "Install" >/dev/null
answer 'Ready to begin installation: C:\Mivox' 403
answer 'Do you have an MDF Mic floppy, place it in Drive A:' 404
answer 'Shortcuts for All Users or Current User' 403
answer 'Product Group Shortcut Folder' 403
reg="Product Registration"
if drive --timeout 8000 wait "$reg" >/dev/null 2>&1; then
    drive set "$reg" 602 "Sample" >/dev/null
    drive set "$reg" 603 "User" >/dev/null
    if [[ -n "${MIVOX_SMTP_SERVER:-}" ]]; then
        drive click "$reg" 652 >/dev/null
        drive click "$reg" 1 >/dev/null
        for outcome in "EMail Transaction Successful" "EMail Transaction Failed" ""; do
            drive --timeout 40000 wait "$outcome" >/dev/null 2>&1 && break
        done
        echo "  E-mail:       ${outcome:-no outcome} (server $MIVOX_SMTP_SERVER)"
        [[ -n $outcome ]] && drive click "$outcome" "OK" >/dev/null
        if [[ $outcome != "EMail Transaction Successful" ]]; then
            drive --timeout 5000 click "Selected Method Failed" "OK" >/dev/null || true
            drive click "$reg" 655 >/dev/null
            drive click "$reg" 1 >/dev/null
        fi
    else
        drive click "$reg" 655 >/dev/null
        drive click "$reg" 1 >/dev/null
    fi
    drive --timeout 5000 click "Please remember to mail your registration." "OK" >/dev/null || true
    drive --timeout 8000 gone "$reg" >/dev/null || true
fi
for notes in RELEASE.TXT README.TXT; do
    drive --timeout 10000 wait-text "Text File Viewer" 901 "C:\\Mivox\\$notes" >/dev/null
    drive click "Text File Viewer" 1 >/dev/null
done
answer 'The system must Reboot to complete the installation.' 404
wait "$setup"
echo "Setup.exe installed Mivox and closed (exit code $?):"
echo "  Product:      C:\Mivox = $WINEPREFIX/drive_c/Mivox"
echo "  Log:          $WINEPREFIX/drive_c/Mivox/Install.Log"
echo "  Records:      HKLM\SOFTWARE\Vexlor\Mivox, App Paths\Mivox.EXE, Uninstall\Mivox"
wine reg query 'HKLM\SOFTWARE\Vexlor\Mivox' | tr -d '\r' | sed -n 's/^    /                /p'
