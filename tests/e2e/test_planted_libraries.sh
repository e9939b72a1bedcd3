#!/usr/bin/env bash
# No library planted beside a program of the medium ever runs. A copy of
# the medium and the archive program in a download folder, with stand-ins
# (tests/win32/helpers/PlantedLibrary.c) of the libraries a program or the
# system's own libraries load by name beside each program, and Wine told to
# search as Windows does (the program's folder first): each program is
# started to its first window, Setup.exe also through an installation and a
# registration by e-mail to aiosmtpd, where it binds the dial-up and socket
# libraries; once more without the socket library, which Setup does without
# until the e-mail registration says it is missing. A stand-in that was
# loaded leaves NAME.ran beside itself, saying whether it came with the
# process or later.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

planted=(VERSION uxtheme dwmapi winmm msimg32 cryptbase RASAPI32 wsock32 ws2_32 secur32
    userenv netapi32 mpr iphlpapi dnsapi propsys)
downloads="$c/Downloads"
rm -rf "$downloads"
mkdir -p "$downloads"
cp -r "$MIVOX_MEDIUM"/. "$downloads"
cp "$(dirname "$MIVOX_MEDIUM")/Mivox10.EXE" "$downloads"
for folder in "$downloads" "$downloads/APP" "$downloads/Misc" "$downloads/WinNT"; do
    for name in "${planted[@]}"; do cp planted.dll "$folder/$name.DLL"; done
done
names=$(IFS=,; echo "${planted[*]}")
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;$names=n,b"

# first_window CAPTION BUTTON PROGRAM ARGS...: the program shows a box with
# this caption, which BUTTON closes, and the program ends.
first_window() {
    local caption=$1 button=$2
    shift 2
    start_program "$@"
    expect_eq "$(basename "$1") shows its first window" "shown" \
        "$(drive --timeout 30000 wait "$caption" >/dev/null && echo shown || echo none)"
    drive click "$caption" "$button" >/dev/null || true
    expect_eq "$(basename "$1") ends" "ended" "$([[ $(wait_exit 20) != timeout ]] && echo ended)"
}
first_window "Mivox" OK "$downloads/APP/Mivox.EXE"
first_window "Mivox Disk Set" Cancel "$downloads/Misc/Install.Exe"
first_window "Mivox Uninstall" OK "$downloads/WinNT/UNWISE.EXE"
first_window "Mivox 4.10 Archive" Cancel "$downloads/Mivox10.EXE"

# Setup.exe through a registration by e-mail to aiosmtpd.
peers="$MIVOX_E2E_OUT/$E2E_NAME-peers"
peers_script="$(dirname "$0")/../win32/smtp/smtp-peers.sh"
"$peers_script" "$peers" start
on_exit "'$peers_script' '$peers' stop"
account='HKCU\Software\Microsoft\Internet Account Manager'
wine reg add "$account" /v "Default Mail Account" /d "Work" /f >/dev/null 2>&1
wine reg add "$account\\Accounts\\Work" /v "SMTP Server" /d 127.0.0.1 /f >/dev/null 2>&1
fresh_system
install_to_registration no yes yes "$downloads"
register_by 652 "Send EMail"
expect_text "the e-mail registration is delivered" "Email Registration Completed" \
    "EMail Transaction Successful" 65535
drive click "EMail Transaction Successful" "OK" >/dev/null
finish_installation

# Where the system has no socket library, Setup starts all the same, and
# only the e-mail registration says so.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES/wsock32,/};wsock32=d"
fresh_system
install_to_registration no yes yes "$downloads"
register_by 652 "Send EMail"
expect_text "without sockets, the e-mail registration fails" "Email was NOT sent" \
    "EMail Transaction Failed" 65535
expect_eq "and says why" 1 \
    "$(drive text "Send EMail" 702 | grep -c 'This system has no Windows Sockets (WSOCK32.DLL)' || true)"
drive click "EMail Transaction Failed" "OK" >/dev/null
expect_text "another method is asked for" "Please choose another method" "Selected Method Failed" 65535
drive click "Selected Method Failed" "OK" >/dev/null
register_by_file Ann Tester
finish_installation

# A stand-in loaded later (by the program, or by a system library on its
# behalf) is a fault. One loaded with the process came through an import
# table: the program's own, which must not name it, or one of Wine's own
# libraries (Wine's user32 imports version.dll; Windows' does not).
faults=""
while IFS= read -r marker; do
    name=$(basename "$marker" .ran)
    while read -r how program; do
        file="$downloads/${program#C:\\Downloads\\}"
        file=${file//\\//}
        if [[ $how == dynamic ]] ||
            x86_64-w64-mingw32-objdump -p "$file" | grep -qix "	DLL Name: $name"; then
            faults+="$name ($how) in $program; "
        fi
    done < <(tr -d '\r' <"$marker" | sort -u)
done < <(find "$downloads" -name '*.ran')
expect_eq "no planted library ran" "" "$faults"
finish
