#!/usr/bin/env bash
# A file in use is replaced when Windows restarts: on NT through delayed
# moves, on Windows 98 through WININIT.INI. The restart is the real one the
# installer asks for (ShutdownWindows), in a Wine session of this test's own.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
pending() {
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
        /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | awk '/REG_MULTI_SZ/ { print $3 }'
}
windir="$WINEPREFIX/drive_c/windows"

# run PLATFORM: one in-use copy and one restart with Wine set to PLATFORM.
run() {
    local platform=$1 work="$MIVOX_E2E_OUT/$E2E_NAME-$1"
    if [[ $platform == win98 ]]; then
        wine reg add 'HKCU\Software\Wine\AppDefaults\sysops.exe' /v Version /d win98 /f >/dev/null
    else
        wine reg delete 'HKCU\Software\Wine\AppDefaults\sysops.exe' /f >/dev/null 2>&1 || true
    fi
    rm -rf "$work" "$windir/wininit.ini" "$windir/wininit.bak"
    mkdir -p "$work"
    printf 'old program' >"$work/MIVOX.EXE"
    printf 'new program' >"$work/new.exe"
    local w
    w=$(winepath -w "$work" | tr -d '\r')
    expect_eq "$platform: Windows family" "$([[ $platform == win98 ]] && echo 9x || echo nt)" \
        "$(sysops platform)"

    wine ./holdopen.exe "$w\\MIVOX.EXE" "$w\\ready" &
    local holder=$!
    for _ in $(seq 100); do [[ -f "$work/ready" ]] && break; sleep 0.1; done
    expect_eq "$platform: in-use copy scheduled, no box" "copied: 1" \
        "$(sysops copy "$w\\MIVOX.EXE" "$w\\new.exe" check)"
    touch "$work/MIVOX.EXE.release"
    wait "$holder" || true
    expect_eq "$platform: the file in use is untouched" "old program" "$(cat "$work/MIVOX.EXE")"
    expect_eq "$platform: the copy waits beside it" "new program" "$(cat "$work/MIVOX.EX_")"

    if [[ $platform == win98 ]]; then
        expect_eq "win98: WININIT.INI lines" \
            "$(printf '[Rename]\r\nNUL=%s\\MIVOX.EXE\r\n%s\\MIVOX.EXE=%s\\MIVOX.EX_\r\n' "$w" "$w" "$w")" \
            "$(cat "$windir/wininit.ini" 2>/dev/null || cat "$windir/WININIT.INI")"
        expect_eq "win98: no delayed moves" "" "$(pending)"
    else
        expect_eq "nt: delete, then rename at restart" \
            "\\??\\$w\\MIVOX.EXE\\0\\0\\??\\$w\\MIVOX.EX_\\0\\??\\$w\\MIVOX.EXE" "$(pending)"
    fi

    expect_eq "$platform: restart accepted" "accepted: 1" "$(sysops reboot)"
    for _ in $(seq 100); do [[ ! -e "$work/MIVOX.EX_" ]] && break; sleep 0.1; done
    expect_eq "$platform: replaced at restart" "new program" "$(cat "$work/MIVOX.EXE")"
    expect_eq "$platform: temporary copy gone" "no" "$([[ -e "$work/MIVOX.EX_" ]] && echo yes || echo no)"
    expect_eq "$platform: nothing left pending" "" "$(pending)"
}

wine reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations /f >/dev/null 2>&1 || true
run nt
run win98
wine reg delete 'HKCU\Software\Wine\AppDefaults\sysops.exe' /f >/dev/null 2>&1 || true
finish
