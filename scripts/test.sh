#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the native unit tests
# (plain, with sanitizers, and built for 32-bit x86), the Win32 tests and the
# end-to-end tests under Wine of the 64-bit build and, where the machine runs
# them, of the 32-bit one, a short fuzzing smoke, the reproducible-build
# check, the check of the programs' imports and the signing check. Both
# Setup.exe builds must link.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1

build() {
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}
for preset in native native-sanitize native32 win64 win32; do
    if ! build "$preset"; then
        echo "Build $preset failed"
        exit 1
    fi
done

# Free disk space before and after: the Wine suites need a few GB.
disk_free() { df -h --output=avail . | tail -1 | tr -d ' '; }
echo "=== Disk: $(disk_free) free"
passed=0
failed=0
# count PRESET LOG: adds the outcome of a ctest run to the totals.
count() {
    local total bad
    total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$2" | tail -1)
    bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$2" | tail -1)
    if [[ -z "$total" ]]; then
        echo "ctest did not finish for $1"
        failed=$((failed + 1))
    else
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    fi
}

# The 32-bit build's Win32 and end-to-end tests need a machine that runs
# i386 programs and Wine's 32-bit half. They run in a Wine session of their
# own (prefix, display, server) beside the native and the 64-bit tests, and
# are reported after them; elsewhere one line says why they are skipped.
win32_log=$(mktemp)
win32_pid=""
if ! win32_skipped=$(scripts/runs-i386.sh); then
    :
elif [[ ! -x /usr/lib/wine/wine ]]; then
    win32_skipped="the machine runs i386 programs, but Wine's 32-bit half (wine32:i386) is not installed (scripts/install-deps.sh says why)"
else
    win32_start=$SECONDS
    ctest --preset win32 -j2 >"$win32_log" 2>&1 </dev/null &
    win32_pid=$!
    trap 'kill "$win32_pid" 2>/dev/null' EXIT
fi

for preset in native native-sanitize native32 win64; do
    echo "=== Tests: $preset"
    start=$SECONDS
    log=$(mktemp)
    # The Wine suites keep time with real peers (the fax receiver): the
    # native tests beside them yield the processor.
    niceness=0
    [[ "$preset" == native* ]] && niceness=10
    nice -n "$niceness" ctest --preset "$preset" -j2 2>&1 | tee "$log"
    count "$preset" "$log"
    rm -f "$log"
    echo "=== $preset: $((SECONDS - start)) s"
done

# Each fuzz target for a short smoke: its seeds and about 20 seconds of
# new inputs in all.
echo "=== Fuzz smoke"
log=$(mktemp)
nice -n 10 scripts/fuzz.sh 2>&1 | tee "$log"
fuzz_passed=$(sed -n 's/^Fuzz summary: \([0-9]*\) passed, \([0-9]*\) failed/\1/p' "$log")
fuzz_failed=$(sed -n 's/^Fuzz summary: \([0-9]*\) passed, \([0-9]*\) failed/\2/p' "$log")
passed=$((passed + ${fuzz_passed:-0}))
failed=$((failed + ${fuzz_failed:-1}))
rm -f "$log"

# A second, clean build of Setup.exe in another folder gives the same bytes.
echo "=== Reproducible build"
if nice -n 10 scripts/check-reproducible.sh build/win64; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

# Includes point down the layers of src/ only.
echo "=== Layers"
if scripts/check-layers.sh; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

# The programs of both builds import only functions Windows 95 has, so that
# they start there.
echo "=== Imports"
if scripts/check-imports.sh build/win64 build/win32; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

# Setup.exe ships on floppies and CDs: its size is printed, and it must not
# grow past what the installer has needed so far.
echo "=== Sizes"
sizes_ok=1
for build in "win64 516096" "win32 594944"; do
    set -- $build
    size=$(stat -c %s "build/$1/Setup.exe")
    echo "Setup.exe ($1): $size bytes (at most $2)"
    ((size <= $2)) || sizes_ok=0
done
if ((sizes_ok)); then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

# Setup.exe signed with a throw-away certificate verifies against it.
echo "=== Signing"
if scripts/check-signing.sh build/win64/Setup.exe; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

echo "=== Tests: win32"
if [[ -n "$win32_pid" ]]; then
    wait "$win32_pid"
    cat "$win32_log"
    count win32 "$win32_log"
    echo "=== win32: $((SECONDS - win32_start)) s, beside the rest"
else
    echo "32-bit Wine tests skipped: $win32_skipped"
fi
rm -f "$win32_log"

echo
echo "Disk: build folder $(du -sh build | cut -f1), $(disk_free) free"
echo "Summary: $passed passed, $failed failed"
((failed == 0))
