# Shared steps of the end-to-end tests: the Wine session, the driver, the
# installer started in the background, a full installation answering every
# question, and checks that say what went wrong.
set -euo pipefail
# A step that fails outside a check ends the script: say which.
trap 'echo "FAIL: ended by exit code $? at line $LINENO of $(basename "$0"): $BASH_COMMAND"' ERR

E2E_NAME=$(basename "$0" .sh)
E2E_FAILURES=0
mkdir -p "$MIVOX_E2E_OUT"
# A script that sets E2E_OWN_SESSION=1 before sourcing this file runs in a
# Wine session of its own, ended with the script: what it installs, records
# or maps stays away from the other tests.
if [[ ${E2E_OWN_SESSION:-0} == 1 ]]; then
    MIVOX_WINE_DIR="$MIVOX_E2E_OUT/$E2E_NAME-session"
    "$MIVOX_WINE_SESSION" "$MIVOX_WINE_DIR" start >/dev/null
fi
eval "$("$MIVOX_WINE_SESSION" "$MIVOX_WINE_DIR" env)"

main="Mivox Installation"
ask="Please Confirm"
reg="Product Registration"
c="$WINEPREFIX/drive_c"

# windows_file PATH: where a file the program under test writes to
# %windir%\PATH lies (PATH relative, folders in lower case). The session's
# Windows is a 64-bit one, so a 32-bit program's System32 is SysWOW64.
windows_file() {
    local path=${1#./}
    [[ "$WINELOADER" == */wine64 ]] || path=${path/#system32/syswow64}
    echo "$c/windows/$path"
}

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

# wait_box CAPTION TEXT: a message box with this caption comes to say TEXT
# (a part of its text).
wait_box() {
    for _ in $(seq 200); do
        if drive --timeout 100 text "$1" 65535 2>/dev/null | grep -qF -- "$2"; then return 0; fi
        sleep 0.1
    done
    echo "FAIL: no box \"$1\" saying \"$2\""
    E2E_FAILURES=$((E2E_FAILURES + 1))
    drive list
    return 1
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

# without_product_record: no earlier installation is recorded (a session's
# prefix outlives its script, so an earlier run's records may be there).
without_product_record() {
    local key try
    for key in 'Software\Vexlor\Mivox' 'Software\Microsoft\Windows\CurrentVersion\App Paths\Mivox.EXE' \
        'Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivox'; do
        # A delete that did not take (the session still starting) is tried
        # again: a record left over would fail the test's own checks.
        for try in 1 2 3; do
            wine reg delete "HKLM\\$key" /f >/dev/null 2>&1 || true
            wine reg query "HKLM\\$key" >/dev/null 2>&1 || continue 2
            sleep 1
        done
        echo "FAIL: HKLM\\$key is left from an earlier run and cannot be removed"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    done
}

screenshot() {
    import -window root "$MIVOX_E2E_OUT/$E2E_NAME-$1.png" 2>/dev/null || true
}

# sysops ARGS...: the system operations helper, without CRs.
sysops() {
    wine ./sysops.exe "$@" | tr -d '\r'
}

# answer TOP yes|no: the question with this top line comes, and is answered.
answer() {
    expect_text "question: $1" "$1" "$ask" 401
    drive click "$ask" "$([[ $2 == yes ]] && echo 403 || echo 404)" >/dev/null
}

# reg_value NAME: a value of the product's record as Windows reads it.
reg_value() {
    wine reg query 'HKLM\Software\Vexlor\Mivox' /v "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_SZ *//p"
}

# fresh_system: no earlier installation recorded, no C:\Mivox.
fresh_system() {
    without_product_record
    rm -rf "$c/Mivox"
}

# install_to_registration MDF ALL_USERS GROUP [MEDIUM]: Setup.exe of the
# medium (the sample one by default) started, Install pressed and each
# question answered yes or no, up to the registration dialog. An MDF floppy
# (A: holds none) ends with the reminder to install the MDF file.
install_to_registration() {
    start_program "${4:-$MIVOX_MEDIUM}/Setup.exe"
    drive --timeout 30000 wait "$main" >/dev/null
    drive click "$main" "Install" >/dev/null
    answer 'Ready to begin installation: C:\Mivox' yes
    answer 'Do you have an MDF Mic floppy, place it in Drive A:' "$1"
    if [[ $1 == yes ]]; then
        expect_text "MDF reminder" 'Use "Mic Setup" in the program to install the MDF file.' \
            "MDF copy complete, remember to install the MDF file." 65535
        drive click "MDF copy complete, remember to install the MDF file." "OK" >/dev/null
    fi
    answer 'Shortcuts for All Users or Current User' "$2"
    answer 'Product Group Shortcut Folder' "$3"
    drive --timeout 15000 wait "$reg" >/dev/null
}

# register_by_file FIRST LAST: the registration dialog delivered as a saved
# form under this name.
register_by_file() {
    drive set "$reg" 602 "$1" >/dev/null
    drive set "$reg" 603 "$2" >/dev/null
    drive click "$reg" 655 >/dev/null
    drive click "$reg" 1 >/dev/null
    drive --timeout 5000 click "Please remember to mail your registration." "OK" >/dev/null
}

# register_by METHOD WINDOW: the registration dialog filled in for Ann
# Tester, card VX-0042, and sent by the method's button (its ID) to the
# sender's WINDOW.
register_by() {
    drive set "$reg" 602 "Ann" >/dev/null
    drive set "$reg" 603 "Tester" >/dev/null
    drive set "$reg" 623 "VX-0042" >/dev/null
    drive click "$reg" "$1" >/dev/null
    drive click "$reg" 1 >/dev/null
    drive --timeout 10000 wait "$2" >/dev/null
}

# close_release_notes: after the registration, the dialog gone and both
# release notes shown and closed.
close_release_notes() {
    expect_eq "registration closed" "" "$(drive --timeout 15000 gone "$reg" >/dev/null 2>&1 || echo open)"
    local notes
    for notes in RELEASE.TXT README.TXT; do
        expect_text "release notes $notes shown" "C:\\Mivox\\$notes" "Text File Viewer" 901
        drive --timeout 10000 click "Text File Viewer" 1 >/dev/null
    done
}

# finish_installation: after the registration, the release notes, no
# restart, and the installer's exit.
finish_installation() {
    close_release_notes
    answer 'The system must Reboot to complete the installation.' no
    expect_eq "installer exited" "0" "$(wait_exit 30)"
}

# fax_peer_on_com1 SCRIPT [SPEED]: the fax receiver (tests/fax/faxpeer.c) on
# a pseudo-terminal that this script's own session maps to COM1, playing one
# entry of SCRIPT ("busy,ok") per call, its audio SPEED (default 4) times
# faster than real time. Call N is stored in
# $FAX_RECEIVED-N.tif, the receiver's log in $FAX_PEER_LOG. Wine maps its
# serial ports when a session starts, so the session's server is restarted.
# The receiver keeps time, and the sender must answer it within the T.30
# limits at that pace: the receivers of the suites of two builds hold a
# machine-wide lock while they live, so that their calls take turns rather
# than share the processor.
fax_peer_on_com1() {
    local link="$MIVOX_E2E_OUT/$E2E_NAME-com1"
    FAX_RECEIVED="$MIVOX_E2E_OUT/$E2E_NAME-received"
    FAX_PEER_LOG="$MIVOX_E2E_OUT/$E2E_NAME-faxpeer.log"
    rm -f "$FAX_RECEIVED"-*.tif "$link"
    exec 7>/tmp/mivox-fax-line.lock
    if ! flock -w 400 7; then
        echo "FAIL: the fax line stayed taken by another run's receiver"
        exit 1
    fi
    "$PWD/faxpeer" "$link" "$FAX_RECEIVED" "$1" "${2:-4}" >"$FAX_PEER_LOG" 2>&1 &
    on_exit "kill $! 2>/dev/null"
    exec 7>&-
    for _ in $(seq 50); do
        [[ -L "$link" ]] && break
        sleep 0.1
    done
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$(readlink "$link")" /f >/dev/null
    "$MIVOX_WINE_SESSION" "$MIVOX_WINE_DIR" restart >/dev/null
}

# expect_fax_pages WHAT RECEIVED CONVERTED PAGES: the received TIFF opens
# without warnings, has PAGES CCITT Group 3 pages 1728 dots wide, and each
# page below the sender's header line (20 rows) equals the converted one.
expect_fax_pages() {
    local what=$1 received=$2 converted=$3 pages=$4 info page same
    expect_eq "$what: opens without warnings" "" "$(tiffinfo "$received" 2>&1 >/dev/null || true)"
    info=$(tiffinfo "$received" 2>/dev/null || true)
    expect_eq "$what: $pages page(s) 1728 wide" "$pages" "$(grep -c 'Image Width: 1728' <<<"$info" || true)"
    expect_eq "$what: CCITT Group 3" "$pages" "$(grep -c 'Compression Scheme: CCITT Group 3' <<<"$info" || true)"
    for ((page = 0; page < pages; page++)); do
        convert "$received[$page]" -crop 1728x1120+0+20 +repage -strip "$MIVOX_E2E_OUT/$E2E_NAME-rx.pbm" 2>/dev/null
        convert "$converted[$page]" -strip "$MIVOX_E2E_OUT/$E2E_NAME-tx.pbm" 2>/dev/null
        same=no
        cmp -s "$MIVOX_E2E_OUT/$E2E_NAME-rx.pbm" "$MIVOX_E2E_OUT/$E2E_NAME-tx.pbm" && same=yes
        expect_eq "$what: page $((page + 1)) pixel for pixel" yes "$same"
    done
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

# on_exit COMMAND: one more clean-up step for the end of the script, however
# it ends (before its own Wine session is ended: deleted after a pass, kept
# for a look after a failure).
E2E_ON_EXIT=()
on_exit() {
    E2E_ON_EXIT+=("$1")
}
e2e_cleanup() {
    local status=$? step end=stop
    end_program
    for step in "${E2E_ON_EXIT[@]}"; do
        eval "$step" || true
    done
    if [[ ${E2E_OWN_SESSION:-0} == 1 ]]; then
        ((status != 0)) || end=remove
        "$MIVOX_WINE_SESSION" "$MIVOX_WINE_DIR" "$end" >/dev/null 2>&1 || true
    fi
}
trap e2e_cleanup EXIT

# Ends the test: ends what is left of the program and reports.
finish() {
    end_program
    if ((E2E_FAILURES > 0)); then
        echo "$E2E_NAME: $E2E_FAILURES check(s) failed"
        exit 1
    fi
    echo "$E2E_NAME: all checks passed"
}
