#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the native unit tests
# (plain and with sanitizers), the Win32 tests and the end-to-end tests under
# Wine. Both Setup.exe builds must link.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1

build() {
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}
for preset in native native-sanitize win64 win32; do
    if ! build "$preset"; then
        echo "Build $preset failed"
        exit 1
    fi
done

passed=0
failed=0
for preset in native native-sanitize win64; do
    echo "=== Tests: $preset"
    log=$(mktemp)
    ctest --preset "$preset" -j2 2>&1 | tee "$log"
    total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
    bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -1)
    if [[ -z "$total" ]]; then
        echo "ctest did not finish for $preset"
        failed=$((failed + 1))
    else
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    fi
    rm -f "$log"
done
echo
echo "Summary: $passed passed, $failed failed"
((failed == 0))
