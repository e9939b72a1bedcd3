# Shared steps of the end-to-end tests: the Wine session, the driver, the
# installer started in the background, and checks that say what went wrong.
set -euo pipefail

eval "$("$MIVOX_WINE_SESSION" "$MIVOX_WINE_DIR" env)"
mkdir -p "$MIVOX_E2E_OUT"
E2E_NAME=$(basename "$0" .sh)
E2E_FAILURES=0

# uidriver ARGS...: drive a window; prints what the driver prints, without CRs.
drive() {
    wine "$MIVOX_UIDRIVER" "$@" | tr -d '\r'
}

# start_program EXE: starts a Windows program in the background; its PID is
# in PROGRAM_PID and its exit code lands in $MIVOX_E2E_OUT/$E2E_NAME.exit.
start_program() {
    local exit_file="$MIVOX_E2E_OUT/$E2E_NAME.exit"
    rm -f "$exit_file"
    (
        set +e
        wine "$@"
        echo $? >"$exit_file"
    ) &
    PROGRAM_PID=$!
}

# wait_exit [SECONDS]: waits for the started program and prints its exit code.
wait_exit() {
    local limit=${1:-20} exit_file="$MIVOX_E2E_OUT/$E2E_NAME.exit"
    for _ in $(seq $((limit * 10))); do
        if [[ -f "$exit_file" ]]; then
            cat "$exit_file"
            return 0
        fi
        sleep 0.1
    done
    echo "timeout"
}

expect_eq() {
    local what=$1 expected=$2 actual=$3
    if [[ "$expected" == "$actual" ]]; then
        echo "ok: $what"
    else
        echo "FAIL: $what: expected [$expected], got [$actual]"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# expect_text WHAT EXPECTED WINDOW CONTROL: the control comes to show EXPECTED
# (a posted click or selection is taken in its time).
expect_text() {
    expect_eq "$1" "$2" "$(drive --timeout 5000 wait-text "$3" "$4" "$2" || true)"
}

# expect_near WHAT EXPECTED ACTUAL SLACK: numbers (commas and blanks ignored)
# that may differ by SLACK, such as a drive's free space read twice.
expect_near() {
    local what=$1 expected=${2//[, ]/} actual=${3//[, ]/} slack=$4
    if [[ "$actual" =~ ^[0-9]+$ ]] && ((actual - expected <= slack && expected - actual <= slack)); then
        echo "ok: $what"
    else
        echo "FAIL: $what: expected [$2] within $slack, got [$3]"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# megabytes N: N bytes as the main dialog shows them: whole megabytes of
# 1,000,000 bytes, grouped by commas, right-aligned in 10 places.
megabytes() {
    printf "%10s" "$(echo $(($1 / 1000000)) | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta')"
}

# bytes_in DIR...: the bytes of the files below the folders.
bytes_in() {
    find "$@" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f\n", s }'
}

# without_product_record: no earlier installation is recorded.
without_product_record() {
    wine reg delete 'HKLM\Software\Vexlor\Mivox' /f >/dev/null 2>&1 || true
}

screenshot() {
    import -window root "$MIVOX_E2E_OUT/$E2E_NAME-$1.png" 2>/dev/null || true
}

# Ends what is left of the started program (the Windows program is a child
# of the background shell that waits for it), so that it never outlives its
# test, however the test ends.
end_program() {
    if [[ -n "${PROGRAM_PID:-}" ]] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
        pkill -P "$PROGRAM_PID" 2>/dev/null || true
        kill "$PROGRAM_PID" 2>/dev/null || true
    fi
}
trap end_program EXIT

# Ends the test: ends what is left of the program and reports.
finish() {
    end_program
    if ((E2E_FAILURES > 0)); then
        echo "$E2E_NAME: $E2E_FAILURES check(s) failed"
        exit 1
    fi
    echo "$E2E_NAME: all checks passed"
}
