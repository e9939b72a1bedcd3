#!/usr/bin/env bash
# Registration by printed form after a full installation, with NOTEPAD.EXE
# replaced by a recording program found first on the search path (beside
# Setup.exe on a private copy of the medium): answered No once the method
# fails and the dialog stays; answered Yes it registers. A Wine session of
# this test's own keeps the installation away from other tests.
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
medium="$c/printmedium"
rm -rf "$medium"
cp -r "$MIVOX_MEDIUM" "$medium"
cp "${MIVOX_RECORDARGS:-$PWD/recordargs.exe}" "$medium/NOTEPAD.EXE"
started="$medium/NOTEPAD.EXE.txt"

answer() {
    expect_text "question: $1" "$1" "$ask" 401
    drive click "$ask" "$([[ $2 == yes ]] && echo 403 || echo 404)" >/dev/null
}
# print_and_answer YES|NO: Ok with the print method, through to the question.
print_and_answer() {
    drive click "$reg" 1 >/dev/null
    expect_text "Notepad notice" 'Select "PRINT" in Notepad, and then Exit NotePad' \
        "Notepad will now load the Registration Form" 65535
    drive click "Notepad will now load the Registration Form" "OK" >/dev/null
    answer "Did the form print correctly ?" "$1"
}

without_product_record
rm -rf "$c/Mivox"
start_program "$medium/Setup.exe"
drive --timeout 30000 wait "$main" >/dev/null
drive click "$main" "Install" >/dev/null
answer 'Ready to begin installation: C:\Mivox' yes
answer 'Do you have an MDF Mic floppy, place it in Drive A:' no
answer 'Shortcuts for All Users or Current User' yes
answer 'Product Group Shortcut Folder' yes
drive --timeout 15000 wait "$reg" >/dev/null
drive set "$reg" 604 "Acme" >/dev/null
drive click "$reg" 654 >/dev/null

print_and_answer no
expect_text "method failed" "Please choose another method" "Selected Method Failed" 65535
drive click "Selected Method Failed" "OK" >/dev/null
expect_eq "dialog stays after No" "open" "$(drive --timeout 1500 gone "$reg" >/dev/null 2>&1 || echo open)"
expect_eq "nothing recorded after No" "" \
    "$(wine reg query 'HKLM\Software\Vexlor\Mivox' /v RegisterCompany | tr -d '\r' | sed -n 's/^ *RegisterCompany *REG_SZ *//p')"

print_and_answer yes
expect_text "thanks" "Thank you!" "Please remember to mail your registration." 65535
drive click "Please remember to mail your registration." "OK" >/dev/null
expect_eq "registration closed" "" "$(drive --timeout 15000 gone "$reg" >/dev/null 2>&1 || echo open)"
expect_eq "Notepad started twice with the form" "$(printf 'C:\\Mivox\\REGISTER.TXT\nC:\\Mivox\\REGISTER.TXT')" \
    "$(tr -d '\r' <"$started" 2>/dev/null || true)"
for _ in RELEASE.TXT README.TXT; do
    drive --timeout 10000 click "Text File Viewer" 1 >/dev/null
done
answer 'The system must Reboot to complete the installation.' no
expect_eq "installer exited" "0" "$(wait_exit 30)"
expect_eq "RegisterCompany" "Acme" \
    "$(wine reg query 'HKLM\Software\Vexlor\Mivox' /v RegisterCompany | tr -d '\r' | sed -n 's/^ *RegisterCompany *REG_SZ *//p')"
expect_eq "form kept" "   Company Name: Acme" "$(sed -n 36p "$c/Mivox/REGISTER.TXT" | tr -d '\r')"
finish
