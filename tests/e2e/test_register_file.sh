#!/usr/bin/env bash
# Registration by saved file after a full installation of the sample medium:
# an empty name is refused, then REGISTER.TXT holds the form byte for byte
# (apart from its creation line) and the product key the three values. A
# Wine session of this test's own keeps the installation away from others.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

fresh_system
install_to_registration no yes yes
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
finish_installation

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
