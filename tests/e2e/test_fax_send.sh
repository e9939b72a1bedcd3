#!/usr/bin/env bash
# The fax library end to end: a Win32 program converts a text with GDI,
# opens COM1 and faxes it through a Class 1 modem to a real fax receiver
# (spandsp behind a pseudo-terminal mapped to COM1). The calls: busy, a
# receiver that hangs up in the middle of the page; then a table of
# receivers that a one-page form must reach pixel for pixel (each modem,
# each minimum scan line time, a receiver that misses the DCS, a modem that
# keeps the frames' check sequence to itself, a line whose phase jitter
# makes the first training fail, so that the sender falls back (its page is
# not compared pixel for pixel: such a line may lose a row unseen); pages coded
# in two dimensions unless the receiver reads one only; a modem as
# some real ones are: answering in numbers, without flow control unless the
# sender turns it on (which drops what overruns its buffer), without +IFC,
# refusing AT+FTM=?; a quiet modem (Q1) with a receiver that answers RTN to
# a page at 14,400 after noise on the line, to which the sender trains at
# 12,000 (this receiver then hangs up: it takes no new training after
# RTN); a line with bursts of noise, over which a receiver with error
# correction gets the page whole (the frames it asks for again), while
# one without gets it damaged); last a receiver
# that takes two pages and leaves the line at once, before the sender has
# hung up: the sender must still end, and report the fax as delivered.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
# receiver settings | rate of the pages | what else the call must show
table=(
    "ok+v17|14400|"
    "ok+v29+scan=20+1d|9600|scan 20"
    "ok+v27+scan=5|4800|scan 5"
    "ok+v17+scan=10|14400|scan 10"
    "ok+v17+scan=40|14400|scan 40"
    "ok+missdcs|14400|missed"
    "ok+nofcs|14400|"
    "ok+jitter=5.8|12000|refused 14400"
    "ok+v0+noflow+noifc+noftmquery|9600|flow AT&K3"
    "ok+q1+rtn=14400|-|retrain 12000"
    "ok+ecm+bursts=40|-|corrected"
    "ok+bursts=40|-|damaged"
)
peer_script=busy,hangup
for row in "${table[@]}"; do peer_script+=",${row%%|*}"; done
fax_peer_on_com1 "$peer_script,leave"

dir="$c/fax"
mkdir -p "$dir"
{
    for n in $(seq 1 75); do
        printf '          Line %d of the registration form: \tCustomer, product, serial 4711\r\n' "$n"
    done
} >"$dir/Register.Txt"

{
    for n in $(seq 1 48); do
        printf '          Field %d of the form: Ann Tester, Acme Labs, VX-0042\r\n' "$n"
    done
} >"$dir/Form.Txt"

# send [NAME]: runs the sender on NAME.Txt (default Register); prints its
# output and exit code.
send() {
    local code=0 name=${1:-Register}
    timeout 120 wine "$PWD/faxsend.exe" "C:\\fax\\$name.Txt" "C:\\fax\\$name.Apf" COM1 0049-30-1234567 9, \
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

call=2
for row in "${table[@]}"; do
    IFS='|' read -r receiver rate extra <<<"$row"
    call=$((call + 1))
    out=$(send Form)
    cp "$MIVOX_E2E_OUT/faxsend.out" "$MIVOX_E2E_OUT/faxsend-call$call.out"
    log=$(grep "^call $call:" "$FAX_PEER_LOG" || true)
    if [[ $extra == retrain* ]]; then
        expect_eq "$receiver: RTN to the page at 14400" 1 \
            "$(grep -c 'answered RTN to a page at 14400 bit/s' <<<"$log" || true)"
        expect_eq "$receiver: trained again one speed lower" "14400 ${extra#retrain }" \
            "$(sed -n 's/.*DCS names .* ms a line, \([0-9]*\) bit\/s.*/\1/p' <<<"$log" | xargs)"
        continue
    fi
    if [[ $extra == damaged ]]; then
        expect_eq "$receiver: rows damaged" yes \
            "$( (($(sed -n 's/.*pages at .*, \([0-9]*\) bad rows/\1/p' <<<"$log") > 0)) && echo yes)"
        continue
    fi
    expect_eq "$receiver: delivered" "exit 0" "$(tail -1 <<<"$out")"
    expect_eq "$receiver: received" "call $call: received 1 pages, result 0 (OK)" \
        "$(grep ': received' <<<"$log" || true)"
    got=$(sed -n 's/.*pages at \([0-9]*\) bit\/s.*/\1/p' <<<"$log")
    [[ $rate == - ]] || expect_eq "$receiver: pages at $rate bit/s" "$rate" "$got"
    expect_eq "$receiver: no bad rows" "0 bad rows" "$(grep -o '[0-9]* bad rows' <<<"$log" || true)"
    # Coded in two dimensions unless the receiver reads one only.
    coded=$(grep -c 'DCS names .*two-dimensional' <<<"$log" || true)
    expect_eq "$receiver: coded in two dimensions" "$([[ $receiver == *+1d* ]] && echo 0 || echo yes)" \
        "$( ((coded > 0)) && echo yes || echo "$coded")"
    case $extra in
    scan*)
        # Every DCS names a time at least the receiver's.
        named=$(sed -n 's/.*DCS names \(-\?[0-9]*\) ms.*/\1/p' <<<"$log" | sort -n | head -1)
        expect_eq "$receiver: DCS names at least ${extra#scan } ms" yes \
            "$( ((named >= ${extra#scan })) && echo yes)"
        ;;
    missed)
        expect_eq "$receiver: the first DCS missed" 1 "$(grep -c 'missed the DCS' <<<"$log" || true)"
        expect_eq "$receiver: DCS sent again" 2 "$(grep -c '^status 7:' <<<"$out" || true)"
        ;;
    refused*)
        expect_eq "$receiver: the training at ${extra#refused } refused" \
            "call $call: training at ${extra#refused } bit/s refused" "$(grep ' refused' <<<"$log" || true)"
        expect_eq "$receiver: the sender tried a lower speed" 1 "$(grep -c '^status 9:' <<<"$out" || true)"
        ;;
    corrected)
        expect_eq "$receiver: error correction in DCS" 1 "$(grep -c 'error correction$' <<<"$log" || true)"
        expect_eq "$receiver: frames asked for again" yes "$(grep -q 'asked for .* frames again' <<<"$log" && echo yes)"
        ;;
    flow*)
        expect_eq "$receiver: flow control turned on" "call $call: flow control turned on by ${extra#flow }" \
            "$(grep 'flow control' <<<"$log" || true)"
        expect_eq "$receiver: nothing lost in the modem's buffer" "" "$(grep -E 'lost|overran' <<<"$log" || true)"
        ;;
    esac
    if [[ $extra == refused* ]]; then
        # Without error correction a jittery line may still lose a row
        # that no check shows: the page is not compared pixel for pixel.
        expect_eq "$receiver: 1 page(s) 1728 wide" 1 \
            "$(tiffinfo "$FAX_RECEIVED-$call.tif" 2>/dev/null | grep -c 'Image Width: 1728' || true)"
        continue
    fi
    expect_fax_pages "$receiver" "$FAX_RECEIVED-$call.tif" "$dir/Form.Apf" 1
done

started=$SECONDS
out=$(send)
expect_eq "delivered: the exit code" "exit 0" "$(tail -1 <<<"$out")"
expect_eq "delivered: ended soon after the receiver left" yes "$( ((SECONDS - started < 60)) && echo yes)"
expect_eq "delivered: no error reported" "" "$(grep '^error' <<<"$out" || true)"
expect_eq "delivered: the remote ID shown" yes "$(grep -q 'remote "+49 30 1234567"' <<<"$out" && echo yes)"
expect_eq "delivered: the second page was sent" 1 "$(grep -c 'status 12: Page sent; page 2 of 2' <<<"$out" || true)"
call=$((call + 1))
expect_eq "the receiver got both pages" "call $call: received 2 pages, result 0 (OK)" \
    "$(grep "^call $call: received" "$FAX_PEER_LOG" || true)"
expect_fax_pages "received" "$FAX_RECEIVED-$call.tif" "$dir/Register.Apf" 2
# The text is drawn black on white: a page of text lines is mostly white,
# and the first line has ink.
black=$(convert "$dir/Register.Apf[0]" -format '%[fx:round(100*(1-mean))]' info: 2>/dev/null)
expect_eq "the page is black text on white (per cent black below 15)" yes "$( ((black < 15)) && echo yes)"
ink=$(convert "$dir/Register.Apf[0]" -crop 1728x16+0+0 -format '%[fx:mean<1]' info: 2>/dev/null)
expect_eq "the first text line has ink" 1 "$ink"
finish
