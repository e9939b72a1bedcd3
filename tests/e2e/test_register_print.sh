#!/usr/bin/env bash
# Registration by printed form after a full installation, with NOTEPAD.EXE
# replaced by a recording program found first on the search path (beside
# Setup.exe on a private copy of the medium): answered No once the method
# fails and the dialog stays; answered Yes it registers. A Wine session of
# this test's own keeps the installation away from other tests.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

medium="$c/printmedium"
rm -rf "$medium"
cp -r "$MIVOX_MEDIUM" "$medium"
cp "${MIVOX_RECORDARGS:-$PWD/recordargs.exe}" "$medium/NOTEPAD.EXE"
started="$medium/NOTEPAD.EXE.txt"

# print_and_answer YES|NO: Ok with the print method, through to the question.
print_and_answer() {
    drive click "$reg" 1 >/dev/null
    expect_text "Notepad notice" 'Select "PRINT" in Notepad, and then Exit NotePad' \
        "Notepad will now load the Registration Form" 65535
    drive click "Notepad will now load the Registration Form" "OK" >/dev/null
    answer "Did the form print correctly ?" "$1"
}

fresh_system
install_to_registration no yes yes "$medium"
drive set "$reg" 604 "Acme" >/dev/null
drive click "$reg" 654 >/dev/null

print_and_answer no
expect_text "method failed" "Please choose another method" "Selected Method Failed" 65535
drive click "Selected Method Failed" "OK" >/dev/null
expect_eq "dialog stays after No" "open" "$(drive --timeout 1500 gone "$reg" >/dev/null 2>&1 || echo open)"
expect_eq "nothing recorded after No" "" \
    "$(reg_value RegisterCompany)"

print_and_answer yes
expect_text "thanks" "Thank you!" "Please remember to mail your registration." 65535
drive click "Please remember to mail your registration." "OK" >/dev/null
expect_eq "Notepad started twice with the form" "$(printf 'C:\\Mivox\\REGISTER.TXT\nC:\\Mivox\\REGISTER.TXT')" \
    "$(tr -d '\r' <"$started" 2>/dev/null || true)"
finish_installation
expect_eq "RegisterCompany" "Acme" \
    "$(reg_value RegisterCompany)"
expect_eq "form kept" "   Company Name: Acme" "$(sed -n 36p "$c/Mivox/REGISTER.TXT" | tr -d '\r')"
finish
