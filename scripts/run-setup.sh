#!/usr/bin/env bash
# Builds the sample medium and runs its Setup.exe under Wine. With a display
# ($DISPLAY) the installer opens there for you to use; without one it runs
# under Xvfb, is driven through its main window, and leaves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# MIVOX_BUILD names another build folder of the win64 preset.
build=${MIVOX_BUILD:-build/win64}
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target medium uidriver
session=tests/wine/wine-session.sh
dir=$build/wine-run

if [[ -n "${DISPLAY:-}" ]]; then
    export MIVOX_DISPLAY=$DISPLAY
    "$session" "$dir" run "$build/medium/Setup.exe"
    exit $?
fi

trap '"$session" "$dir" stop' EXIT
eval "$("$session" "$dir" env)"
drive() { wine "$build/uidriver.exe" "$@" | tr -d '\r'; }
main="Mivox Installation"

wine "$build/medium/Setup.exe" &
setup=$!
drive --timeout 30000 wait "$main"
echo "Setup.exe is running on the sample medium ($build/medium):"
echo "  Version:      $(drive text "$main" 102)"
echo "  Date:         $(drive text "$main" 103)"
echo "  Destination:  $(drive text "$main" 105)"
shot=$build/setup-main-window.png
import -window root "$shot"
echo "  Screenshot:   $shot"
drive click "$main" "Exit"
wait "$setup"
echo "Setup.exe closed by its Exit button (exit code $?)."
