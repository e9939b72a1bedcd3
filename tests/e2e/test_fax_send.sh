#!/usr/bin/env bash
# The fax library end to end: a Win32 program converts a two-page text with
# GDI, opens COM1 and faxes it through a Class 1 modem to a real fax
# receiver (spandsp behind a pseudo-terminal mapped to COM1). Three calls:
# busy, a receiver that hangs up in the middle of the page, and one that
# takes both pages, which must arrive pixel for pixel as converted.
set -euo pipefail
session="$MIVOX_E2E_OUT/test_fax_send-session"
mkdir -p "$MIVOX_E2E_OUT"
received="$MIVOX_E2E_OUT/fax-received"
rm -f "$received"-*.tif
"$PWD/faxpeer" "$MIVOX_E2E_OUT/fax-com1" "$received" busy,hangup,ok 4 \
    >"$MIVOX_E2E_OUT/faxpeer.log" 2>&1 &
peer=$!
for _ in $(seq 50); do
    [[ -L "$MIVOX_E2E_OUT/fax-com1" ]] && break
    sleep 0.1
done
# Wine maps its serial ports when a session starts, from its Ports key.
"$MIVOX_WINE_SESSION" "$session" run reg add 'HKLM\Software\Wine\Ports' /v COM1 \
    /d "$(readlink "$MIVOX_E2E_OUT/fax-com1")" /f >/dev/null
"$MIVOX_WINE_SESSION" "$session" stop >/dev/null

E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
on_exit "kill $peer 2>/dev/null"

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
    wine "$PWD/faxsend.exe" 'C:\fax\Register.Txt' 'C:\fax\Register.Apf' COM1 0049-30-1234567 9, \
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

out=$(send)
expect_eq "delivered: the exit code" "exit 0" "$(tail -1 <<<"$out")"
expect_eq "delivered: the remote ID shown" yes "$(grep -q 'remote "+49 30 1234567"' <<<"$out" && echo yes)"
expect_eq "delivered: the second page was sent" 1 "$(grep -c 'status 12: Page sent; page 2 of 2' <<<"$out" || true)"
sleep 2
expect_eq "the receiver got both pages" "call 3: received 2 pages, result 0 (OK)" \
    "$(grep '^call 3: received' "$MIVOX_E2E_OUT/faxpeer.log" || true)"
fax="$received-3.tif"
expect_eq "the received file opens without warnings" "" "$(tiffinfo "$fax" 2>&1 >/dev/null || true)"
info=$(tiffinfo "$fax" 2>/dev/null || true)
expect_eq "received: two pages" 2 "$(grep -c 'Image Width: 1728' <<<"$info" || true)"
expect_eq "received: CCITT Group 3 coding" 2 "$(grep -c 'Compression Scheme: CCITT Group 3' <<<"$info" || true)"
# Below the header line (20 rows), each page equals the converted one.
for page in 0 1; do
    convert "$fax[$page]" -crop 1728x1120+0+20 +repage -strip "$MIVOX_E2E_OUT/fax-rx-$page.pbm" 2>/dev/null
    convert "$dir/Register.Apf[$page]" -strip "$MIVOX_E2E_OUT/fax-tx-$page.pbm" 2>/dev/null
    if cmp -s "$MIVOX_E2E_OUT/fax-rx-$page.pbm" "$MIVOX_E2E_OUT/fax-tx-$page.pbm"; then same=yes; else same=no; fi
    expect_eq "page $((page + 1)) arrived pixel for pixel" yes "$same"
done
# The text is drawn black on white: a page of text lines is mostly white,
# and the first line has ink.
black=$(convert "$dir/Register.Apf[0]" -format '%[fx:round(100*(1-mean))]' info: 2>/dev/null)
expect_eq "the page is black text on white (per cent black below 15)" yes "$( ((black < 15)) && echo yes)"
ink=$(convert "$dir/Register.Apf[0]" -crop 1728x16+0+0 -format '%[fx:mean<1]' info: 2>/dev/null)
expect_eq "the first text line has ink" 1 "$ink"
finish
