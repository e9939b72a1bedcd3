#!/usr/bin/env bash
# Registration by fax after a full installation of the sample medium, to the
# fax receiver on COM1 (spandsp behind a pseudo-terminal): the modem picked
# in the device selection, a busy line first (the error box, the dialog
# stays open), then Start again delivers while the status figures move; the
# page received is the form as converted, the registration is recorded, and
# the temporary files go with the installer.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
# The receiver stays on the line after the second call, as a modem does.
fax_peer_on_com1 busy,ok,ok
fax="Send Fax"
devices="Device Selection"

fresh_system
install_to_registration no yes yes
register_by 653 "$fax"
expect_text "the maker's number" "1-541-555-0143" "$fax" 803
expect_text "the device saved with the dialog" "Sportster 28800-33600 External" "$fax" 804

# No modem is installed: the selection offers the serial ports.
drive click "$fax" 805 >/dev/null
drive --timeout 5000 wait "$devices" >/dev/null
expect_eq "COM1 offered" 1 "$(drive items "$devices" 1202 | grep -cx COM1 || true)"
drive select "$devices" 1202 COM1 >/dev/null
drive click "$devices" 1 >/dev/null
expect_text "the device chosen" "COM1" "$fax" 804
screenshot send-fax

# The first call finds the line busy: the box, then the dialog again ready.
drive click "$fax" 815 >/dev/null
wait_box "Fax Transmission Error" "The fax number is busy."
drive click "Fax Transmission Error" "OK" >/dev/null
expect_eq "Start enabled again" 1 "$(for _ in $(seq 50); do
    [[ $(drive enabled "$fax" 815) == 1 ]] && echo 1 && break
    sleep 0.1
done)"
expect_eq "the dialog stays open" "$fax" "$(drive list | cut -f2 | grep -x "$fax" || true)"

# The second call delivers; the status is sampled until the dialog closes.
drive click "$fax" 815 >/dev/null
samples="$MIVOX_E2E_OUT/$E2E_NAME-status.txt"
: >"$samples"
deadline=$((SECONDS + 120))
while ((SECONDS < deadline)); do
    status=$(drive --timeout 200 text "$fax" 813 2>/dev/null) || break
    echo "$status|$(drive text "$fax" 811 2>/dev/null)|$(drive text "$fax" 812 2>/dev/null)" >>"$samples"
    sleep 0.2
done
expect_eq "the fax dialog closed itself" "" "$(drive --timeout 1000 gone "$fax" >/dev/null 2>&1 || echo open)"
expect_eq "status texts seen (at least 3)" yes "$(
    (($(cut -d'|' -f1 "$samples" | sort -u | grep -c . || true) >= 3)) && echo yes)"
expect_eq "bytes of the page counted" yes "$(cut -d'|' -f2 "$samples" | grep -qE '^[1-9][0-9]*$' && echo yes)"
expect_eq "elapsed seconds counted" yes "$(cut -d'|' -f3 "$samples" | grep -qE '^[1-9][0-9]*$' && echo yes)"

# The temporary files, read while the installer still runs.
temp=$(dirname "$(find "$c/users" -name Register.Apf | head -1)")
cp "$temp/Register.Apf" "$MIVOX_E2E_OUT/$E2E_NAME-sent.tif"
expect_eq "the text sent is the form, each line ten blanks in" \
    "$(sed 's/^/          /' "$c/Mivox/REGISTER.TXT" | od -c)" "$(od -c <"$temp/Register.Txt")"

finish_installation
expect_eq "RegisterPerson" "Ann Tester" "$(reg_value RegisterPerson)"
expect_eq "RegisterSerial" "VX-0042" "$(reg_value RegisterSerial)"
expect_eq "the temporary files are gone" "" "$(ls "$temp"/Register.* 2>/dev/null || true)"
expect_eq "the receiver: busy, then the page" \
    $'call 1: dialled 15415550143, playing busy\ncall 2: dialled 15415550143, playing ok\ncall 2: received 1 pages, result 0 (OK)' \
    "$(grep -E '^call [0-9]+: (dialled|received)' "$FAX_PEER_LOG" || true)"
# The form's 48 lines make one page.
expect_fax_pages "received" "$FAX_RECEIVED-2.tif" "$MIVOX_E2E_OUT/$E2E_NAME-sent.tif" 1
finish
