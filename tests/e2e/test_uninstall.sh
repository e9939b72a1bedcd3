#!/usr/bin/env bash
# The uninstaller the records point at: after a full installation, with a file
# of the user's own in the product folder, the Uninstall entry's command is
# started as the control panel starts it. Everything the installation
# created goes; the user's file and its folder stay; in NT mode a file held
# open goes at the restart. The same, without the held file, in Windows 98
# mode. Then a missing argument and a log that names the Windows folder are
# refused and nothing is removed. Last, an unattended installation into a new
# nested folder: an old-dated file the user added stays, with its folders;
# installed again without it, the folder made above the product folder goes
# too, and the drive and the records are as before.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

box="Mivox Uninstall"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivox'
keys=('HKLM\Software\Vexlor\Mivox' 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Mivox.EXE'
    "$uninstall_key")
key_count() {
    local key n=0
    for key in "${keys[@]}"; do
        wine reg query "$key" >/dev/null 2>&1 && n=$((n + 1))
    done
    echo $n
}
# The folders of shortcuts the log names, as Linux paths.
link_folders() {
    sed -n 's/^File Tree: \(.*\)\\\*\.\*\r$/\1/p' "$c/Mivox/Install.Log" | tail -n +2 |
        while read -r folder; do wine winepath -u "$folder" 2>/dev/null | tr -d '\r'; done
}

# uninstall_run MODE: a full installation, the user's notes added, and the
# Uninstall entry's command run, answered yes; then the checks.
uninstall_run() {
    local mode=$1
    fresh_system
    install_to_registration no yes yes
    register_by_file Ann Tester
    if [[ $mode == NT ]]; then
        finish_installation
    else
        close_release_notes
        drive --timeout 10000 click "Serial port driver COMM.DRV may be defective" "Cancel" >/dev/null
        answer 'The system must Reboot to complete the installation.' no
        expect_eq "$mode: installer exited" "0" "$(wait_exit 30)"
    fi
    mapfile -t links < <(link_folders)
    expect_eq "$mode: two folders of shortcuts logged" 2 "${#links[@]}"
    expect_eq "$mode: three keys recorded" 3 "$(key_count)"
    mkdir -p "$c/Mivox/My Data"
    echo "my measurements" >"$c/Mivox/My Data/notes.txt"
    local holder=""
    if [[ $mode == NT ]]; then
        rm -f "$c/ready"
        wine "$(dirname "$MIVOX_UIDRIVER")/holdopen.exe" 'C:\Mivox\MIVOX.INI' 'C:\ready' &
        holder=$!
        on_exit "touch '$c/Mivox/MIVOX.INI.release'"
        for _ in $(seq 100); do [[ -f "$c/ready" ]] && break; sleep 0.1; done
    fi

    local command
    command=$(wine reg query "$uninstall_key" /v UninstallString | tr -d '\r' |
        sed -n 's/^ *UninstallString *REG_SZ *//p')
    start_program cmd /c "$command"
    wait_box "$box" 'Product folder: C:\Mivox'
    drive click "$box" "Yes" >/dev/null
    wait_box "$box" 'C:\Mivox\My Data\notes.txt'
    if [[ -n $holder ]]; then
        # C:\Mivox is not the administrators' alone: the file in use is not
        # left to a restart that could find another file at its path. It
        # stays, named, and the records name it for the next run.
        expect_eq "$mode: the final message says what stays" "Mivox was removed in part." \
            "$(drive text "$box" 65535 | head -1)"
        expect_eq "$mode: the file in use is named" 1 \
            "$(drive text "$box" 65535 | grep -c 'C:\\Mivox\\MIVOX.INI')"
        drive click "$box" "OK" >/dev/null
        expect_eq "$mode: uninstaller exit code" 3 "$(wait_exit 30)"
        expect_eq "$mode: nothing is left to the restart" 0 \
            "$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
                /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | grep -ci 'MIVOX.INI' || true)"
        expect_eq "$mode: the Uninstall entry stays" 1 \
            "$(wine reg query "$uninstall_key" >/dev/null 2>&1 && echo 1)"
        expect_eq "$mode: the list names only what stays" "MIVOX.INI" \
            "$(tail -n +2 "$c/Mivox/Install.Lst" | tr -d '\r' | cut -d' ' -f3-)"
        touch "$c/Mivox/MIVOX.INI.release"
        wait "$holder" || true
        start_program cmd /c "$command"
        wait_box "$box" 'Product folder: C:\Mivox'
        drive click "$box" "Yes" >/dev/null
        wait_box "$box" 'C:\Mivox\My Data\notes.txt'
    fi
    expect_eq "$mode: the final message says it is done" "Mivox was removed." \
        "$(drive text "$box" 65535 | head -1)"
    drive click "$box" "OK" >/dev/null
    expect_eq "$mode: uninstaller exit code" 0 "$(wait_exit 30)"
    expect_eq "$mode: only the user's file is left" "./My Data/notes.txt" \
        "$(cd "$c/Mivox" && find . -type f | sort)"
    expect_eq "$mode: the user's file is unchanged" "my measurements" "$(cat "$c/Mivox/My Data/notes.txt")"
    expect_eq "$mode: registry keys gone" 0 "$(key_count)"
    local folder
    for folder in "${links[@]}"; do
        expect_eq "$mode: shortcut folder gone: $folder" "gone" "$([[ -e "$folder" ]] || echo gone)"
    done
    expect_eq "$mode: the maker's empty program group gone" "gone" \
        "$([[ -e "$(dirname "${links[0]}")" ]] || echo gone)"
}

# windows_version [win98]: the Windows version the installer and the
# uninstaller see (the session's own without an argument); the prefix
# outlives the script, so it is set from the start.
windows_version() {
    local program
    for program in Setup.exe UNWISE.EXE; do
        if [[ -n ${1:-} ]]; then
            wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program" /v Version /d "$1" /f
        else
            wine reg delete "HKCU\\Software\\Wine\\AppDefaults\\$program" /f
        fi >/dev/null 2>&1 || true
    done
}

windows_version
uninstall_run NT
windows_version win98
on_exit windows_version
uninstall_run "Windows 98"

# Started without a log, it says what it needs.
start_program 'C:\windows\UNWISE.EXE'
wait_box "$box" "needs the path of the installation's Install.Log"
drive click "$box" "OK" >/dev/null
expect_eq "no log named: exit code 1" 1 "$(wait_exit 20)"

# A log that names the Windows folder is refused; nothing is removed.
mkdir -p "$c/Mivox" && echo "my measurements" >"$c/Mivox/keep.txt"
printf '%s\r\n' "*** Installation Started: Jan  7, 2001  Sun  9:05 am ***" "Title: Mivox" \
    'File Tree: C:\Mivox\*.*' 'Made Dir: C:\windows' >"$c/Mivox/Install.Log"
start_program 'C:\windows\UNWISE.EXE' 'C:\Mivox\Install.Log'
wait_box "$box" "It names the Windows folder"
expect_eq "the refusal says nothing was removed" "1" \
    "$(drive text "$box" 65535 | grep -c 'Nothing was removed.')"
drive click "$box" "OK" >/dev/null
expect_eq "refused log: exit code 1" 1 "$(wait_exit 20)"
expect_eq "refused log: the product folder untouched" "Install.Log|My Data|keep.txt" \
    "$(ls "$c/Mivox" | paste -sd'|')"
expect_eq "refused log: the Windows folder untouched" "present" \
    "$([[ -f "$c/windows/UNWISE.EXE" && -d "$c/windows/system32" ]] && echo present)"

# machine: the drive's folders and files (the Windows and temporary folders
# aside) and the product's records.
machine() {
    (cd "$c" && find . -path ./windows -prune -o -ipath '*/temp' -prune -o -print | sort)
    local key
    for key in "${keys[@]}" 'HKLM\Software\Vexlor'; do wine reg query "$key" /s 2>/dev/null; done | tr -d '\r'
}
# nested_round USER_FILE: installed unattended into C:\Lab Tools\Mivox, the
# user's file (if any) added with last year's date, and uninstalled.
nested_round() {
    expect_eq "nested: unattended installation" 0 \
        "$(wine "$MIVOX_MEDIUM/Setup.exe" /S '/D=C:\Lab Tools\Mivox' /NORESTART >/dev/null; echo $?)"
    if [[ -n $1 ]]; then
        echo "calibration" >"$c/Lab Tools/Mivox/$1"
        touch -d '2025-03-01 10:00' "$c/Lab Tools/Mivox/$1"
    fi
    start_program 'C:\windows\UNWISE.EXE' 'C:\Lab Tools\Mivox\Install.Log'
    wait_box "$box" 'Folder, when empty: C:\Lab Tools'
    drive click "$box" "Yes" >/dev/null
    wait_box "$box" 'Mivox was removed.'
    drive click "$box" "OK" >/dev/null
    expect_eq "nested: uninstaller exit code" 0 "$(wait_exit 30)"
}
windows_version
rm -rf "$c/Mivox" "$c/Lab Tools"
before=$(machine)
nested_round calib.dat
expect_eq "nested: the user's old-dated file is kept" "calibration" "$(cat "$c/Lab Tools/Mivox/calib.dat")"
expect_eq "nested: only the user's file and its folders are left" \
    "$(printf '%s\n' "./Lab Tools" "./Lab Tools/Mivox" "./Lab Tools/Mivox/calib.dat")|" \
    "$(diff <(echo "$before") <(machine) | sed -n 's/^> //p')|$(diff <(echo "$before") <(machine) | sed -n 's/^< //p')"
rm -rf "$c/Lab Tools"
nested_round ""
expect_eq "nested: the made parent folder is gone, the drive and records as before" "$before" "$(machine)"

# Nothing outside is touched. The product folder is open to every user, who
# may plant there a folder whose full-width backslashes the code page turns
# into "\", and replace the folder with a link to one of theirs holding a
# log and a list.
mkdir -p "$c/victim/emptysub"
expect_eq "outside: unattended installation" 0 \
    "$(wine "$MIVOX_MEDIUM/Setup.exe" /S '/D=C:\Mivox' /NORESTART >/dev/null; echo $?)"
mkdir -p "$c/Mivox/x＼..＼..＼victim"
# A link below the product key, open to everyone, to a scratch key.
wine reg add 'HKLM\Software\ScratchTarget\Child' /v kept /d yes /f >/dev/null
expect_eq "outside: a registry link is made below the product key" 0 \
    "$(wine "$(dirname "$MIVOX_UIDRIVER")/reglink.exe" 'SOFTWARE\Vexlor\Mivox\Link' \
        'SOFTWARE\ScratchTarget' >/dev/null 2>&1; echo $?)"
start_program 'C:\windows\UNWISE.EXE' 'C:\Mivox\Install.Log'
wait_box "$box" 'Product folder: C:\Mivox'
drive click "$box" "Yes" >/dev/null
wait_box "$box" 'Mivox was removed in part.'
expect_eq "outside: the folder of the odd name is named" 1 \
    "$(drive text "$box" 65535 | grep -c 'C:\\Mivox\\x\\')"
drive click "$box" "OK" >/dev/null
expect_eq "outside: uninstaller exit code" 3 "$(wait_exit 30)"
expect_eq "outside: the folder beside the product folder survives" "present" \
    "$([[ -d "$c/victim/emptysub" ]] && echo present)"
expect_eq "outside: the key the registry link pointed at survives" "yes" \
    "$(wine reg query 'HKLM\Software\ScratchTarget\Child' /v kept 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *kept *REG_SZ *//p')"
expect_eq "outside: the product key went, the link with it" "gone" \
    "$(wine reg query 'HKLM\Software\Vexlor\Mivox' >/dev/null 2>&1 || echo gone)"
wine reg delete 'HKLM\Software\ScratchTarget' /f >/dev/null 2>&1 || true
expect_eq "outside: the records stay for the next run" "yes" \
    "$([[ -f "$c/Mivox/Install.Log" ]] && wine reg query "$uninstall_key" >/dev/null 2>&1 && echo yes)"
rm -rf "$c/Mivox/x＼..＼..＼victim"

# The same folder, now a link to a user's folder with a planted log and
# list naming a file there: refused where Wine shows links as such.
mkdir -p "$c/planted"
echo "not the product's" >"$c/planted/victim.txt"
cp "$c/Mivox/Install.Log" "$c/planted/"
printf '%s\r\n' "$(head -1 "$c/Mivox/Install.Lst" | tr -d '\r')" \
    "$(stat -c %s "$c/planted/victim.txt") $((($(stat -c %Y "$c/planted/victim.txt") + 11644473600) * 10000000)) victim.txt" \
    >"$c/planted/Install.Lst"
mv "$c/Mivox" "$c/Mivox.real"
ln -s "$c/planted" "$c/Mivox"
if wine cmd /c 'dir /al C:\' 2>/dev/null | grep -qi 'Mivox'; then
    start_program 'C:\windows\UNWISE.EXE' 'C:\Mivox\Install.Log'
    wait_box "$box" 'junction or link'
    drive click "$box" "OK" >/dev/null
    expect_eq "outside: a linked product folder is refused" 1 "$(wait_exit 20)"
else
    echo "note: this Wine shows no link as a reparse point; the linked product folder is not tried"
fi
expect_eq "outside: the file in the link's target survives" "not the product's" \
    "$(cat "$c/planted/victim.txt")"
rm "$c/Mivox"
mv "$c/Mivox.real" "$c/Mivox"
rm -rf "$c/planted" "$c/victim"
finish
