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

screenshot() {
    import -window root "$MIVOX_E2E_OUT/$E2E_NAME-$1.png" 2>/dev/null || true
}

# Ends the test: kills what is left of the program and reports.
finish() {
    if [[ -n "${PROGRAM_PID:-}" ]] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
        kill "$PROGRAM_PID" 2>/dev/null || true
    fi
    if ((E2E_FAILURES > 0)); then
        echo "$E2E_NAME: $E2E_FAILURES check(s) failed"
        exit 1
    fi
    echo "$E2E_NAME: all checks passed"
}
