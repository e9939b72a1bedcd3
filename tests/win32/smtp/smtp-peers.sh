#!/usr/bin/env bash
# Starts or stops the SMTP peers of the Win32 SMTP tests (smtp_peers.py).
#   smtp-peers.sh DIR start|stop
#   smtp-peers.sh DIR with COMMAND...   runs COMMAND while the peers listen
# They take port 25, which the e-mail end-to-end test takes too, so a test
# holds them only while it runs. The port is the machine's: the peers hold a
# lock on it while they live, so that the suites of two builds running side
# by side take turns.
set -euo pipefail
dir=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

case $2 in
start)
    "$0" "$dir" stop
    rm -rf "$dir/delivered" "$dir/ready" "$dir/raw.bin" "$dir/scenario"
    exec 8>/tmp/mivox-smtp-port.lock
    if ! flock -w 600 8; then
        echo "smtp-peers: port 25 stayed taken by another run's peers" >&2
        exit 1
    fi
    # The distribution's Python, which has aiosmtpd; it inherits the lock.
    /usr/bin/python3 "$here/smtp_peers.py" "$dir" >"$dir/peers.log" 2>&1 &
    echo $! >"$dir/peers.pid"
    exec 8>&-
    for _ in $(seq 100); do
        [[ -f "$dir/ready" ]] && exit 0
        kill -0 "$(cat "$dir/peers.pid")" 2>/dev/null || break
        sleep 0.1
    done
    echo "smtp-peers: the SMTP peers did not start:" >&2
    cat "$dir/peers.log" >&2
    exit 1
    ;;
stop)
    if [[ -f "$dir/peers.pid" ]]; then
        pid=$(cat "$dir/peers.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
        rm -f "$dir/peers.pid"
    fi
    ;;
with)
    shift 2
    "$0" "$dir" start
    trap '"$0" "$dir" stop' EXIT
    "$@"
    ;;
*)
    echo "usage: $0 DIR start|stop|with COMMAND..." >&2
    exit 2
    ;;
esac
