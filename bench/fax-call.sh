#!/usr/bin/env bash
# The registration fax's call at 14,400 bit/s, dial to hang-up, against the
# T.30 floor for the same page: the fax library's sender under Wine calls
# the spandsp receiver on COM1, whose audio runs at real speed: once coded
# in one dimension, then in two at 0 and 20 ms a line, without and with
# error correction. Prints a row per call for scripts/bench.sh's table
# ("label|ours|floor|ratio|note") and the parts of the floor on stderr.
#   bench/fax-call.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win64}
session=tests/wine/wine-session.sh
dir=$build/bench-fax-wine
work=$build/bench-fax
mkdir -p "$work"
link="$work/com1"
rm -f "$link"
# The receivers: one that reads one-dimensional coding only, then (reading
# two-dimensional coding) without and with error correction at 0 ms and
# 20 ms a line.
receivers=(ok+v17+1d ok+v17 ok+v17+ecm ok+v17+scan=20 ok+v17+scan=20+ecm)
"$build/faxpeer" "$link" "$work/received" "$(IFS=,; echo "${receivers[*]}")" 1 >"$work/faxpeer.log" 2>&1 &
for _ in $(seq 50); do
    [[ -L "$link" ]] && break
    sleep 0.1
done
# Wine maps its serial ports when a session starts.
"$session" "$dir" start >/dev/null
eval "$("$session" "$dir" env)"
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$(readlink "$link")" /f >/dev/null
"$session" "$dir" stop >/dev/null
"$session" "$dir" start >/dev/null

# A page like the registration form: 48 lines of text.
fax_dir=$WINEPREFIX/drive_c/faxbench
mkdir -p "$fax_dir"
for n in $(seq 1 48); do
    printf '          Field %d of the form: Ann Tester, Acme Labs, VX-0042\r\n' "$n"
done >"$fax_dir/Form.Txt"

# One call to each receiver: each line of the sender's status stamped with
# the seconds it came at, then the row.
for receiver in "${receivers[@]}"; do
    wine "$(winepath -w "$build/faxsend.exe")" 'C:\faxbench\Form.Txt' 'C:\faxbench\Form.Apf' COM1 \
        1-541-555-0143 2>&1 | while IFS= read -r line; do
        echo "$(date +%s.%N) ${line%$'\r'}"
    done >"$work/faxsend.out"
    grep -q ' finished 0$' "$work/faxsend.out" || {
        echo "bench: the fax to $receiver was not delivered" >&2
        cat "$work/faxsend.out" >&2
        exit 1
    }
    dialled=$(awk '/ status 3: / { print $1; exit }' "$work/faxsend.out")
    ended=$(awk '/ finished 0$/ { print $1 }' "$work/faxsend.out")
    page_bytes=$(sed -n 's/.* \([0-9]*\) of \1 bytes$/\1/p' "$work/faxsend.out" | tail -1)
    ecm=0
    [[ $receiver == *ecm* ]] && ecm=1
    scan=0
    [[ $receiver == *scan=20* ]] && scan=20
    coding=2-D
    [[ $receiver == *+1d* ]] && coding=1-D

    # The floor, in seconds, of T.30 at 14,400 bit/s (V.21 frames at 300
    # bit/s after a second of flags; 75 ms between one side's end and the
    # other's start). With error correction the page goes as frames of 256
    # bytes (each with 4 bytes of address, control, type and number, 2 of
    # check and a flag) and three RCP, and PPS-EOP carries 4 bytes more
    # than EOP; the page's bytes are the coded data, without fill.
    awk -v ours="$(awk -v a="$dialled" -v b="$ended" 'BEGIN { print b - a }')" \
        -v page="$page_bytes" -v ecm="$ecm" -v scan="$scan" -v coding="$coding" 'BEGIN {
        ring = 1.0                      # the receiver rings once before it answers
        ced = 0.2 + 2.6                 # silence, then the answer tone
        gap = 0.075
        dis = 1.0 + (25 + 15) * 8 / 300 # CSI and DIS (with their addresses, controls, checks)
        dcs = 1.0 + (25 + 9) * 8 / 300  # TSI and DCS
        tcf = 1.393 + 1.5               # V.17 long training, 1.5 s of zeros
        cfr = 1.0 + 5 * 8 / 300
        line = page
        if (ecm) line = page + int((page + 255) / 256) * 7 + 3 * 6
        image = 0.142 + line * 8 / 14400 # V.17 short training, the page
        eop = 1.0 + (5 + 4 * ecm) * 8 / 300
        mcf = 1.0 + 5 * 8 / 300
        dcn = mcf
        floor = ring + ced + gap + dis + gap + dcs + gap + tcf + gap + cfr + gap + image + gap + eop + gap + mcf + gap + dcn
        printf "fax floor, %s ms a line, %s%s: ring %.2f, CED %.2f, CSI+DIS %.2f, TSI+DCS %.2f, training check %.2f, CFR %.2f, page (%d bytes) %.2f, EOP %.2f, MCF %.2f, DCN %.2f, gaps %.2f\n", \
            scan, coding, ecm ? ", error correction" : "", ring, ced, dis, dcs, tcf, cfr, page, image, eop, mcf, dcn, 8 * gap > "/dev/stderr"
        printf "fax call at 14400 bit/s, %d ms a line, %s%s, dial to hang-up|%.1f|%.1f|%.2f|the T.30 floor of the same page; goal 1.25\n", \
            scan, coding, ecm ? ", error correction" : "", ours, floor, ours / floor
    }'
done
