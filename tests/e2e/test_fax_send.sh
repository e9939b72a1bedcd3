#!/usr/bin/env bash
# The fax library end to end: a Win32 program converts a two-page text with
# GDI, opens COM1 and faxes it through a Class 1 modem to a real fax
# receiver (spandsp behind a pseudo-terminal mapped to COM1). Three calls:
# busy, a receiver that hangs up in the middle of the page, and one that
# takes both pages, which must arrive pixel for pixel as converted, and then
# leaves the line at once, before the sender has hung up: the sender must
# still end, and report the fax as delivered.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
fax_peer_on_com1 busy,hangup,leave

dir="$c/fax"
mkdir -p "$dir"
{
    for n in $(seq 1 75); do
        printf '          Line %d of the registration form: \tCustomer, product, serial 4711\r\n' "$n"
    done
} >"$dir/Register.Txt"

# send: runs the sender; prints its output and exit code.
send() {
    local code=0
    timeout 120 wine "$PWD/faxsend.exe" 'C:\fax\Register.Txt' 'C:\fax\Register.Apf' COM1 0049-30-1234567 9, \
        >"$MIVOX_E2E_OUT/faxsend.out" 2>&1 || code=$?
    tr -d '\r' <"$MIVOX_E2E_OUT/faxsend.out"
    echo "exit $code"
}

out=$(send)
expect_eq "busy: the error" "error 9007: The fax number is busy." "$(grep '^error' <<<"$out" || true)"
expect_eq "busy: the exit code" "exit 1" "$(tail -1 <<<"$out")"
image_info=$(tiffinfo "$dir/Register.Apf" 2>&1 >/dev/null || true)
expect_eq "the converted image opens without warnings" "" "$image_info"
expect_eq "the converted image has two pages" 2 "$(tiffinfo "$dir/Register.Apf" | grep -c 'Image Width: 1728')"

out=$(send)
expect_eq "hang-up: the error" "error 9016: The receiving fax machine hung up." \
    "$(grep '^error' <<<"$out" || true)"
expect_eq "hang-up: the page had started" 1 "$(grep -c 'status 11: Sending page; page 1' <<<"$out" || true)"

started=$SECONDS
out=$(send)
expect_eq "delivered: the exit code" "exit 0" "$(tail -1 <<<"$out")"
expect_eq "delivered: ended soon after the receiver left" yes "$( ((SECONDS - started < 60)) && echo yes)"
expect_eq "delivered: no error reported" "" "$(grep '^error' <<<"$out" || true)"
expect_eq "delivered: the remote ID shown" yes "$(grep -q 'remote "+49 30 1234567"' <<<"$out" && echo yes)"
expect_eq "delivered: the second page was sent" 1 "$(grep -c 'status 12: Page sent; page 2 of 2' <<<"$out" || true)"
expect_eq "the receiver got both pages" "call 3: received 2 pages, result 0 (OK)" \
    "$(grep '^call 3: received' "$FAX_PEER_LOG" || true)"
expect_fax_pages "received" "$FAX_RECEIVED-3.tif" "$dir/Register.Apf" 2
# The text is drawn black on white: a page of text lines is mostly white,
# and the first line has ink.
black=$(convert "$dir/Register.Apf[0]" -format '%[fx:round(100*(1-mean))]' info: 2>/dev/null)
expect_eq "the page is black text on white (per cent black below 15)" yes "$( ((black < 15)) && echo yes)"
ink=$(convert "$dir/Register.Apf[0]" -crop 1728x16+0+0 -format '%[fx:mean<1]' info: 2>/dev/null)
expect_eq "the first text line has ink" 1 "$ink"
finish
