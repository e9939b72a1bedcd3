#!/usr/bin/env bash
# Measures Setup.exe against the plain system calls under Wine (x86_64
# build) and prints one table. Not part of the test command: run it alone,
# with nice, on an otherwise quiet machine.
#   BENCH_REPEAT=5        repetitions of each measure, the best one counts
#   BENCH_SMALL_FILES=20000 BENCH_SMALL_DIRS=200 BENCH_SMALL_KB=4
#   BENCH_LARGE_FILES=20  BENCH_LARGE_MB=100   BENCH_CRC_MB=256
# A quick run: BENCH_REPEAT=1 BENCH_SMALL_FILES=2000 BENCH_LARGE_MB=10 scripts/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh zlib1g-dev libz-mingw-w64-dev >&2

repeat=${BENCH_REPEAT:-5}
small_files=${BENCH_SMALL_FILES:-20000}
small_dirs=${BENCH_SMALL_DIRS:-200}
small_kb=${BENCH_SMALL_KB:-4}
large_files=${BENCH_LARGE_FILES:-20}
large_mb=${BENCH_LARGE_MB:-100}
crc_mb=${BENCH_CRC_MB:-256}

build=build/win64
mkdir -p build
{
    cmake --preset win64
    cmake --build --preset win64 --target Setup medium install_bench minimal_dialog crc_bench uidriver \
        faxsend fax_peer
    cmake --preset win32
    cmake --build --preset win32 --target Setup
    cmake -S . -B build/bench-native -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build/bench-native --target crc_bench
} >build/bench.log 2>&1 || {
    tail -30 build/bench.log >&2
    exit 1
}

session=tests/wine/wine-session.sh
dir=$build/bench-wine
eval "$("$session" "$dir" env)"
root=$WINEPREFIX/drive_c/mvxbench
cleanup() {
    rm -rf "$root"
    "$session" "$dir" stop
}
trap cleanup EXIT

# The trees are written twice more while measured (the installer's copy and
# the plain one, each removed before the next).
need_mb=$(((small_files * small_kb / 1000 + large_files * large_mb) * 3 + 1000))
free_mb=$(df -Pm "$WINEPREFIX" | awk 'NR == 2 { print $4 }')
if ((free_mb < need_mb)); then
    echo "bench: $need_mb MB of disk needed, $free_mb MB free" >&2
    exit 1
fi

# make_medium NAME FILES DIRS KILOBYTES: a medium whose APP folder holds
# FILES files of KILOBYTES in DIRS folders, beside the product program
# (whose version the main dialog shows) and Setup.exe.
make_medium() {
    local medium=$root/$1
    rm -rf "$medium"
    mkdir -p "$medium"/{APP,WinNT,Win9X,Misc}
    cp "$build/medium/Setup.exe" "$medium/"
    cp "$build/medium/APP/Mivox.EXE" "$medium/APP/"
    python3 - "$medium/APP" "$2" "$3" "$4" <<'PY'
import os, sys
folder, files, dirs, kb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
block = os.urandom(1024 * 1024)
for n in range(files):
    sub = os.path.join(folder, "D%03d" % (n % dirs))
    os.makedirs(sub, exist_ok=True)
    with open(os.path.join(sub, "F%05d.DAT" % n), "wb") as out:
        left = kb * 1024
        while left:
            out.write(block[: min(left, len(block))])
            left -= min(left, len(block))
PY
}

bench() { wine "$build/bench/install_bench.exe" "$@" | tr -d '\r'; }
rows=$build/bench-rows.txt
: >"$rows"
echo "bench: writing the media" >&2
make_medium small "$small_files" "$small_dirs" "$small_kb"
make_medium large "$large_files" 1 $((large_mb * 1024))

echo "bench: copy of $small_files files" >&2
bench copy 'C:\mvxbench\small\' 'C:\mvxbench\out\' "$repeat" \
    "copy $small_files x ${small_kb} KB in $small_dirs folders" >>"$rows"
echo "bench: copy of $large_files large files" >&2
bench copy 'C:\mvxbench\large\' 'C:\mvxbench\out\' "$repeat" \
    "copy $large_files x $large_mb MB" >>"$rows"
echo "bench: required-space scan" >&2
bench scan 'C:\mvxbench\small\' "$repeat" "required-space scan, $small_files files" >>"$rows"
echo "bench: start-up" >&2
bench startup "$(winepath -w "$build/medium/Setup.exe")" \
    "$(winepath -w "$build/bench/minimal_dialog.exe")" "$repeat" \
    "start-up to main window, sample medium" >>"$rows"
bench startup 'C:\mvxbench\small\Setup.exe' "$(winepath -w "$build/bench/minimal_dialog.exe")" \
    "$repeat" "start-up to main window, $small_files-file medium" >>"$rows"
# peak_rss PROGRAM: the peak resident set, in KB, of the running Windows
# program whose command line holds PROGRAM (under Wine, a Linux process).
peak_rss() {
    local pid
    pid=$(pgrep -f "$1" | head -1)
    awk '/^VmHWM/ { print $2 }' "/proc/$pid/status"
}
echo "bench: working set" >&2
drive() { wine "$build/uidriver.exe" "$@" >/dev/null; }
wine reg delete 'HKLM\Software\Vexlor\Mivox' /f >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX/drive_c/Mivox"
wine 'C:\mvxbench\small\Setup.exe' >/dev/null 2>&1 &
drive --timeout 30000 wait "Mivox Installation"
drive click "Mivox Installation" "Install"
for question in 'Ready to begin installation: C:\Mivox|403' \
    'Do you have an MDF Mic floppy, place it in Drive A:|404' \
    'Shortcuts for All Users or Current User|403' 'Product Group Shortcut Folder|403'; do
    drive --timeout 120000 wait-text "Please Confirm" 401 "${question%|*}"
    drive click "Please Confirm" "${question#*|}"
done
drive --timeout 120000 wait "Product Registration"
setup_kb=$(peak_rss 'mvxbench.small.Setup.exe')

# cpu_seconds PROGRAM: user and system CPU time so far of the running
# Windows program whose command line holds PROGRAM.
cpu_seconds() {
    local pid
    pid=$(pgrep -f "$1" | head -1)
    awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f\n", ($14 + $15) / hz }' "/proc/$pid/stat"
}
# The same Setup.exe registers by e-mail with a server that accepts the
# connection and never answers (the scripted SMTP peer on 127.0.0.2:25):
# its CPU time while the request waits out its 30 s limit.
echo "bench: CPU while an SMTP request waits" >&2
peers=$build/bench-smtp-peers
tests/win32/smtp/smtp-peers.sh "$peers" start
echo silent >"$peers/scenario"
wine reg add 'HKCU\Software\Microsoft\Internet Mail and News\Mail' /v "Default SMTP Server" \
    /d 127.0.0.2 /f >/dev/null 2>&1
drive set "Product Registration" 602 "Ann"
drive set "Product Registration" 603 "Bench"
drive click "Product Registration" 652
drive click "Product Registration" 1
drive --timeout 10000 wait "Send EMail"
# The pointer off every window: resting on a control with a tooltip, it has
# Wine poll its position some hundred times a second, whatever the program does.
drive pointer 0 0
sleep 2
cpu_before=$(cpu_seconds 'mvxbench.small.Setup.exe')
sleep 25
cpu_after=$(cpu_seconds 'mvxbench.small.Setup.exe')
tests/win32/smtp/smtp-peers.sh "$peers" stop
wine reg delete 'HKCU\Software\Microsoft\Internet Mail and News' /f >/dev/null 2>&1 || true
echo "CPU in 25 s of an SMTP request's 30 s wait|$(awk "BEGIN { printf \"%.2f\", $cpu_after - $cpu_before }")|||goal under 0.5; 16 when waits spun on PeekMessage" >>"$rows"
pkill -f 'mvxbench.small.Setup.exe' || true
wine "$(winepath -w "$build/bench/minimal_dialog.exe")" >/dev/null 2>&1 &
drive --timeout 30000 wait "Minimal Dialog"
minimal_kb=$(peak_rss 'minimal_dialog.exe')
drive close "Minimal Dialog"
wait
echo "peak working set, $small_files-file installation, MB|$((setup_kb / 1024))|$((minimal_kb / 1024))|$(awk "BEGIN { printf \"%.2f\", $setup_kb / $minimal_kb }")|Setup.exe up to the registration against a minimal dialog program" >>"$rows"

echo "bench: CRC-32" >&2
build/bench-native/bench/crc_bench "$crc_mb" "$repeat" "CRC-32 native, GB/s" >>"$rows"
wine "$build/bench/crc_bench.exe" "$crc_mb" "$repeat" "CRC-32 under Wine, GB/s" |
    tr -d '\r' >>"$rows"
echo "bench: fax call" >&2
bench/fax-call.sh "$build" >>"$rows"
for bits in 64 32; do
    size=$(stat -c %s "build/win${bits}/Setup.exe")
    echo "Setup.exe size, ${bits}-bit, KB|$((size / 1024))|||goal 400" >>"$rows"
done

echo
printf '| %-48s | %12s | %12s | %6s | %s\n' "measure (seconds unless said)" "Setup.exe" "plain" "ratio" "note"
printf '|%s|%s|%s|%s|%s\n' "$(printf -- '-%.0s' {1..50})" "$(printf -- '-%.0s' {1..14})" \
    "$(printf -- '-%.0s' {1..14})" "$(printf -- '-%.0s' {1..8})" "------"
while IFS='|' read -r label ours plain ratio note; do
    printf '| %-48s | %12s | %12s | %6s | %s\n' "$label" "$ours" "$plain" "$ratio" "$note"
done <"$rows"
