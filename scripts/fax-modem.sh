#!/usr/bin/env bash
# An emulated fax modem for trying a fax registration by hand: the fax
# receiver of the tests (spandsp behind a pseudo-terminal) on COM1 of the
# Wine session that scripts/run-setup.sh uses.
#   scripts/fax-modem.sh start   answers up to 16 calls; call N is stored in
#                                build/win64/fax-received-N.tif
#   scripts/fax-modem.sh stop
set -euo pipefail
cd "$(dirname "$0")/.."
build=${MIVOX_BUILD:-build/win64}
session=tests/wine/wine-session.sh
dir=$build/wine-run
pidfile=$build/faxpeer.pid

stop() {
    if [[ -f $pidfile ]]; then
        kill "$(cat "$pidfile")" 2>/dev/null || true
        rm -f "$pidfile"
    fi
}

case ${1:-} in
start)
    scripts/install-deps.sh
    cmake --preset win64 -B "$build" >/dev/null
    cmake --build "$build" --target fax_peer
    stop
    rm -f "$build/fax-com1"
    calls=$(printf 'ok,%.0s' $(seq 16))
    "$build/faxpeer" "$build/fax-com1" "$build/fax-received" "${calls%,}" \
        >"$build/faxpeer.log" 2>&1 </dev/null &
    echo $! >"$pidfile"
    for _ in $(seq 50); do
        [[ -L "$build/fax-com1" ]] && break
        sleep 0.1
    done
    # Wine maps its serial ports when a session starts: the next one has COM1.
    "$session" "$dir" run reg add 'HKLM\Software\Wine\Ports' /v COM1 \
        /d "$(readlink "$build/fax-com1")" /f >/dev/null
    "$session" "$dir" stop >/dev/null
    echo "Fax modem on COM1 ($(readlink "$build/fax-com1")); calls logged in $build/faxpeer.log"
    ;;
stop) stop ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
