#!/usr/bin/env bash
# One Wine session for a test run: a private prefix, an Xvfb display and a
# persistent wineserver, created on first use and shared by every test of the
# run.
#   wine-session.sh DIR start         create (or reuse) the session
#   wine-session.sh DIR run PROG ARG  run a Windows program in it
#   wine-session.sh DIR env           print the session's variables
#   wine-session.sh DIR restart       start the wineserver again (it reads
#                                     the serial ports and drives anew)
#   wine-session.sh DIR stop          end the wineserver and the display
#   wine-session.sh DIR remove        end the session and delete its prefix
# The session's loader decides the bitness of the programs it starts and the
# registry view `wine reg` sees: MIVOX_WINE_LOADER when the session starts
# (/usr/lib/wine/wine for 32-bit programs), else the 64-bit one. Inside the
# session `wine` and `winepath` are that loader, whatever /usr/bin/wine is.
set -euo pipefail

dir=$(mkdir -p "$1" && cd "$1" && pwd)
command=$2
shift 2

wine64=/usr/lib/wine/wine64
if [[ -n "${MIVOX_WINE_LOADER:-}" ]]; then
    loader=$MIVOX_WINE_LOADER
elif [[ -f "$dir/loader" ]]; then
    loader=$(cat "$dir/loader")
else
    loader=$wine64
fi
if [[ ! -x "$loader" ]]; then
    echo "wine-session: no Wine loader $loader (for 32-bit programs: scripts/install-deps.sh)" >&2
    exit 1
fi
# Scripts, not links: the loader finds itself by the name it is started as.
# Replaced whole, so that a test running beside never finds one half written.
put() {
    if [[ "$(cat "$dir/$1" 2>/dev/null)" != "$2" ]]; then
        printf '%s\n' "$2" >"$dir/$1.$$"
        chmod +x "$dir/$1.$$"
        mv -f "$dir/$1.$$" "$dir/$1"
    fi
}
mkdir -p "$dir/bin"
put loader "$loader"
put bin/wine "$(printf '#!/bin/sh\nexec %s "$@"' "$loader")"
put bin/winepath "$(printf '#!/bin/sh\nexec %s winepath.exe "$@"' "$loader")"
export PATH="$dir/bin:$PATH" WINELOADER=$loader

export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Every new prefix is a copy of one template, made once by the 64-bit loader
# as on a 64-bit Windows (with Wine's 32-bit half installed, System32 and
# SysWOW64 are both filled). Making a prefix takes half a minute and 1.3 GB;
# a copy takes a second, and Wine's own libraries, programs, drivers and code
# pages (nearly all of those bytes) are hard links to the template's: Wine
# never writes them, and nothing a test installs bears their names.
template=${MIVOX_WINE_TEMPLATE:-$(cd "$(dirname "$0")/../.." && pwd)/build/wine-template}
template_stamp="$("$wine64" --version), 32-bit half: $([[ -x /usr/lib/wine/wine ]] && echo yes || echo no)"

make_template() {
    rm -rf "$template/prefix"
    mkdir -p "$template"
    WINEPREFIX="$template/prefix" WINELOADER=$wine64 "$wine64" wineboot -i \
        >"$template/wineboot.log" 2>&1 || true
    # Without a window manager, Wine waits for each closed window.
    WINEPREFIX="$template/prefix" WINELOADER=$wine64 "$wine64" reg add \
        'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX="$template/prefix" wineserver -w
    echo "$template_stamp" >"$template/stamp"
}

copy_template() {
    local copy="$WINEPREFIX.new"
    exec 8>"$template.lock"
    flock 8
    [[ "$(cat "$template/stamp" 2>/dev/null)" == "$template_stamp" ]] || make_template
    rm -rf "$WINEPREFIX" "$copy"
    if cp -al "$template/prefix" "$copy" 2>/dev/null; then
        find "$copy" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' \
            -o -iname '*.nls' \) -print0 |
            while IFS= read -r -d '' file; do
                cp -p "$file" "$file.copy" && mv -f "$file.copy" "$file"
            done
    else # the template on another file system
        rm -rf "$copy"
        cp -a "$template/prefix" "$copy"
    fi
    mv "$copy" "$WINEPREFIX"
    exec 8>&-
}

# Waited for: a restarted session must not meet its old server, and a new
# prefix may get a deleted one's inode, by which Wine names a server's socket.
end_server() {
    wineserver -k 2>/dev/null || true
    timeout 10 wineserver -w 2>/dev/null || true
}

display_alive() {
    [[ -f "$dir/xvfb.pid" ]] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null
}

start_display() {
    local n
    for n in $(seq 90 190); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        # Not holding the session lock: a display outlives its starter.
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 9>&- &
        echo $! >"$dir/xvfb.pid"
        for _ in $(seq 50); do
            [[ -e /tmp/.X11-unix/X$n ]] && break
            sleep 0.1
        done
        if display_alive; then
            echo ":$n" >"$dir/display"
            return 0
        fi
    done
    echo "wine-session: no free X display" >&2
    return 1
}

start() {
    exec 9>"$dir/lock"
    flock 9
    if [[ -n "${MIVOX_DISPLAY:-}" ]]; then
        echo "$MIVOX_DISPLAY" >"$dir/display"
    elif ! display_alive; then
        start_display
    fi
    export DISPLAY=$(cat "$dir/display")
    # A prefix made before Wine's 32-bit half was installed has none of it.
    if [[ "$loader" != "$wine64" && -f "$WINEPREFIX/.mivox-ready" &&
        ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    if [[ ! -f "$WINEPREFIX/.mivox-ready" ]]; then
        copy_template
        touch "$WINEPREFIX/.mivox-ready"
    fi
    # The first process of a session decides whether it has a display, so
    # the server starts with DISPLAY set and stays up between programs.
    # A new server also needs Wine's services, started here with no
    # caller's output attached: a test runner waits for every process that
    # holds its pipes.
    if wineserver -p 300 </dev/null >/dev/null 2>&1; then
        wine wineboot </dev/null >/dev/null 2>&1 || true
    fi
    flock -u 9
}

case "$command" in
start) start ;;
run)
    start
    export DISPLAY=$(cat "$dir/display")
    exec wine "$@"
    ;;
env)
    start
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all DISPLAY='$(cat "$dir/display")'" \
        "WINELOADER='$loader' PATH='$dir/bin':\"\$PATH\""
    ;;
restart)
    end_server
    start
    ;;
stop | remove)
    end_server
    if display_alive; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$dir/xvfb.pid"
    [[ "$command" == stop ]] || rm -rf "$WINEPREFIX"
    ;;
*)
    echo "usage: $0 DIR start|run|env|restart|stop|remove" >&2
    exit 2
    ;;
esac
