#!/usr/bin/env bash
# Registration by saved file after a full installation of the sample medium:
# an empty name is refused, then REGISTER.TXT holds the form byte for byte
# (apart from its creation line) and the product key the three values. A
# Wine session of this test's own keeps the installation away from others.
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

answer() {
    expect_text "question: $1" "$1" "$ask" 401
    drive click "$ask" "$([[ $2 == yes ]] && echo 403 || echo 404)" >/dev/null
}
reg_value() {
    wine reg query 'HKLM\Software\Vexlor\Mivox' /v "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_SZ *//p"
}

without_product_record
rm -rf "$c/Mivox"
start_program "$MIVOX_MEDIUM/Setup.exe"
drive --timeout 30000 wait "$main" >/dev/null
drive click "$main" "Install" >/dev/null
answer 'Ready to begin installation: C:\Mivox' yes
answer 'Do you have an MDF Mic floppy, place it in Drive A:' no
answer 'Shortcuts for All Users or Current User' yes
answer 'Product Group Shortcut Folder' yes

drive --timeout 15000 wait "$reg" >/dev/null
expect_text "country preset" "USA" "$reg" 611
expect_text "product name preset" "Mivox" "$reg" 621
purchased=$(LC_ALL=C date +'%b %e, %Y')
# No name and no company: refused with the blank-name warning.
drive set "$reg" 611 "" >/dev/null
drive click "$reg" 655 >/dev/null
drive click "$reg" 1 >/dev/null
drive --timeout 5000 wait "Registration Data Error" >/dev/null
drive click "Registration Data Error" "OK" >/dev/null
drive set "$reg" 602 "Ann" >/dev/null
drive set "$reg" 603 "Tester" >/dev/null
drive set "$reg" 604 "Acme & Sons" >/dev/null
drive set "$reg" 612 "+1 541 555 0100" >/dev/null
drive set "$reg" 623 "VX-0042" >/dev/null
drive click "$reg" 1 >/dev/null
drive --timeout 5000 click "Please remember to mail your registration." "OK" >/dev/null
expect_eq "registration closed" "" "$(drive --timeout 8000 gone "$reg" >/dev/null 2>&1 || echo open)"
for notes in RELEASE.TXT README.TXT; do
    drive --timeout 10000 wait "Text File Viewer" >/dev/null
    drive --timeout 10000 click "Text File Viewer" 1 >/dev/null
done
answer 'The system must Reboot to complete the installation.' no
expect_eq "installer exited" "0" "$(wait_exit 30)"

expected=$(printf '%s\r\n' \
    "===================================" "***  Product Registration Form  ***" "CREATED" \
    "===================================" " " "Mail To:" "Product Registration" \
    "Vexlor Measurement Systems" "1200 Harbor Lane, Suite 4" "Port Alden, OR 97499 USA" " " \
    "Fax To: +1 541 555 0143" " " "Tel To: +1 541 555 0142" " " "WWW To: www.vexlor.example" \
    "(goto product registration page)" " " "EMail To: register@vexlor.example" " " \
    "[Product Information]" "-----------------------------------" "   Product Name: Mivox" \
    "Product Version: 4.10.0.10" "Product SerialN: VX-0042" "" "[Purchase Information]" \
    "-----------------------------------" " Purchased Data: $purchased" " Purchased From: Vexlor" \
    " " "[Customer Information]" "-----------------------------------" "     First Name: Ann" \
    "      Last Name: Tester" "   Company Name: Acme & Sons" " Address Line 1: " \
    " Address Line 2: " " Address Line 3: " "           City: " "          State: " \
    "       Zip Code: " "        Country: " "      Telephone: +1 541 555 0100" \
    "      Faxsimile: " "          EMail: " " " "===================================" | od -c)
form="$c/Mivox/REGISTER.TXT"
actual=$(sed '3s/^Created: .*\r$/CREATED\r/' "$form" | od -c)
expect_eq "REGISTER.TXT byte for byte" "$expected" "$actual"
expect_eq "creation line" "1" "$(sed -n 3p "$form" | grep -cE '^Created: [A-Z][a-z]{2} [ 0-9][0-9], [0-9]{4}  [A-Z][a-z]{2} [ 0-9][0-9]:[0-9]{2} [ap]m.$')"
expect_eq "RegisterPerson" "Ann Tester" "$(reg_value RegisterPerson)"
expect_eq "RegisterCompany" "Acme & Sons" "$(reg_value RegisterCompany)"
expect_eq "RegisterSerial" "VX-0042" "$(reg_value RegisterSerial)"
finish
