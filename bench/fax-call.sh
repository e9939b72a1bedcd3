#!/usr/bin/env bash
# The registration fax's call at 14,400 bit/s, dial to hang-up, against the
# T.30 floor for the same page: the fax library's sender under Wine calls
# the spandsp receiver on COM1, whose audio runs at real speed. Prints one
# row for scripts/bench.sh's table ("label|ours|floor|ratio|note") and the
# parts of the floor on stderr.
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
"$build/faxpeer" "$link" "$work/received" ok+v17 1 >"$work/faxpeer.log" 2>&1 &
peer=$!
trap 'kill $peer 2>/dev/null || true; "$session" "$dir" stop >/dev/null 2>&1 || true' EXIT
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

# Each line of the sender's status, stamped with the seconds it came at.
wine "$(winepath -w "$build/faxsend.exe")" 'C:\faxbench\Form.Txt' 'C:\faxbench\Form.Apf' COM1 \
    1-541-555-0143 2>&1 | while IFS= read -r line; do
    echo "$(date +%s.%N) ${line%$'\r'}"
done >"$work/faxsend.out"
grep -q ' finished 0$' "$work/faxsend.out" || {
    echo "bench: the fax was not delivered" >&2
    cat "$work/faxsend.out" >&2
    exit 1
}
dialled=$(awk '/ status 3: / { print $1; exit }' "$work/faxsend.out")
ended=$(awk '/ finished 0$/ { print $1 }' "$work/faxsend.out")
page_bytes=$(sed -n 's/.* \([0-9]*\) of \1 bytes$/\1/p' "$work/faxsend.out" | tail -1)

# The floor, in seconds, of T.30 at 14,400 bit/s (V.21 frames at 300 bit/s
# after a second of flags; 75 ms between one side's end and the other's start):
awk -v ours="$(awk -v a="$dialled" -v b="$ended" 'BEGIN { print b - a }')" \
    -v page="$page_bytes" 'BEGIN {
    ring = 1.0                      # the receiver rings once before it answers
    ced = 0.2 + 2.6                 # silence, then the answer tone
    gap = 0.075
    dis = 1.0 + (25 + 15) * 8 / 300 # CSI and DIS (with their addresses, controls, checks)
    dcs = 1.0 + (25 + 9) * 8 / 300  # TSI and DCS
    tcf = 1.393 + 1.5               # V.17 long training, 1.5 s of zeros
    cfr = 1.0 + 5 * 8 / 300
    image = 0.142 + page * 8 / 14400 # V.17 short training, the page
    eop = 1.0 + 5 * 8 / 300
    mcf = eop
    dcn = eop
    floor = ring + ced + gap + dis + gap + dcs + gap + tcf + gap + cfr + gap + image + gap + eop + gap + mcf + gap + dcn
    printf "fax floor: ring %.2f, CED %.2f, CSI+DIS %.2f, TSI+DCS %.2f, training check %.2f, CFR %.2f, page (%d bytes) %.2f, EOP %.2f, MCF %.2f, DCN %.2f, gaps %.2f\n", \
        ring, ced, dis, dcs, tcf, cfr, page, image, eop, mcf, dcn, 8 * gap > "/dev/stderr"
    printf "fax call at 14400 bit/s, dial to hang-up|%.1f|%.1f|%.2f|the T.30 floor of the same page; goal 1.25\n", \
        ours, floor, ours / floor
}'
