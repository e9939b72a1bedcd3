#!/usr/bin/env bash
# Registration through the web browser after a full installation, with the
# http association pointed at a recording program: a short registration
# reaches the direct script with every value encoded; a long one first shows
# the notice and then goes to the form-fill script. Each installation runs in
# a Wine session of this test's own.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

recorder=${MIVOX_RECORDARGS:-$PWD/recordargs.exe}
mkdir -p "$c/rec"
cp "$recorder" "$c/rec/browser.exe"
wine reg add 'HKCR\http\shell\open\command' /ve /d '"C:\rec\browser.exe" "%1"' /f >/dev/null 2>&1
received="$c/rec/browser.exe.txt"

# register_from_scratch: a fresh installation up to the registration dialog.
register_from_scratch() {
    fresh_system
    rm -f "$received"
    install_to_registration no yes yes
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
register_from_scratch
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
    "$(reg_value RegisterCompany)"

# A long one, from a dealer: the notice, then the form-fill script.
register_from_scratch
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
