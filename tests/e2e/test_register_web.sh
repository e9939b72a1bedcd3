#!/usr/bin/env bash
# Registration through the web browser after a full installation, with the
# http association pointed at a recording program: a short registration
# reaches the direct script with every value encoded; a long one first shows
# the notice and then goes to the form-fill script. Each installation runs in
# a Wine session of this test's own.
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
reg="Product Registration"
c="$WINEPREFIX/drive_c"
recorder=${MIVOX_RECORDARGS:-$PWD/recordargs.exe}
mkdir -p "$c/rec"
cp "$recorder" "$c/rec/browser.exe"
wine reg add 'HKCR\http\shell\open\command' /ve /d '"C:\rec\browser.exe" "%1"' /f >/dev/null 2>&1
received="$c/rec/browser.exe.txt"

answer() {
    expect_text "question: $1" "$1" "$ask" 401
    drive click "$ask" "$([[ $2 == yes ]] && echo 403 || echo 404)" >/dev/null
}
# install_to_registration: a full installation up to the registration dialog.
install_to_registration() {
    without_product_record
    rm -rf "$c/Mivox"
    rm -f "$received"
    start_program "$MIVOX_MEDIUM/Setup.exe"
    drive --timeout 30000 wait "$main" >/dev/null
    drive click "$main" "Install" >/dev/null
    answer 'Ready to begin installation: C:\Mivox' yes
    answer 'Do you have an MDF Mic floppy, place it in Drive A:' no
    answer 'Shortcuts for All Users or Current User' yes
    answer 'Product Group Shortcut Folder' yes
    drive --timeout 15000 wait "$reg" >/dev/null
}
# finish_installation: after the registration, to the program's end.
finish_installation() {
    expect_eq "registration closed" "" "$(drive --timeout 15000 gone "$reg" >/dev/null 2>&1 || echo open)"
    for _ in RELEASE.TXT README.TXT; do
        drive --timeout 10000 click "Text File Viewer" 1 >/dev/null
    done
    answer 'The system must Reboot to complete the installation.' no
    expect_eq "installer exited" "0" "$(wait_exit 30)"
}
# received_url: the URL the browser was started with, once it has been.
received_url() {
    for _ in $(seq 100); do
        [[ -s "$received" ]] && break
        sleep 0.1
    done
    tr -d '\r\n' <"$received" 2>/dev/null || true
}

q=$(LC_ALL=C date +'%b %e %Y' | tr ' ' '+')

# A short registration: straight to the direct script.
install_to_registration
drive set "$reg" 602 "Ann" >/dev/null
drive set "$reg" 603 "Tester" >/dev/null
drive set "$reg" 604 "Smith & Sons=100% \"Audio\"" >/dev/null
drive set "$reg" 612 "+1 541 555 0100" >/dev/null
drive click "$reg" 1 >/dev/null
expect_eq "direct URL" \
    "http://www.vexlor.example/cgi-bin/tp_rg.pl?mlto=webreg@vexlor.example&a=Ann&b=Tester&c=Smith+%26+Sons%3D100%25+%22Audio%22&d=&e=&f=&g=&h=&i=&j=USA&k=15415550100&l=&m=&n=Mivox&o=4.10.0.10&p=&q=$q&r=VXLR" \
    "$(received_url)"
finish_installation
expect_eq "RegisterCompany" 'Smith & Sons=100% "Audio"' \
    "$(wine reg query 'HKLM\Software\Vexlor\Mivox' /v RegisterCompany | tr -d '\r' | sed -n 's/^ *RegisterCompany *REG_SZ *//p')"

# A long one, from a dealer: the notice, then the form-fill script.
install_to_registration
long=$(printf 'Street %.0s' $(seq 30))
drive set "$reg" 604 "Acme" >/dev/null
drive set "$reg" 605 "$long" >/dev/null
drive click "$reg" 635 >/dev/null
drive set "$reg" 636 "Sound Shop" >/dev/null
drive click "$reg" 1 >/dev/null
expect_text "notice" "Message" "Data String Too Long" 1001
expect_eq "nothing opened before the notice is closed" "" "$(cat "$received" 2>/dev/null || true)"
drive click "Data String Too Long" 1 >/dev/null
expect_eq "form-fill URL" \
    "http://www.vexlor.example/cgi-bin/reg.pl?a=&b=&c=Acme&d=${long// /+}&e=&f=&g=&h=&i=&j=USA&k=&l=&m=&n=Mivox&o=4.10.0.10&p=&q=$q&r=Sound+Shop" \
    "$(received_url)"
finish_installation
finish
