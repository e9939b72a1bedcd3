#!/usr/bin/env bash
# Setup.exe /S in one Wine session: an interactive installation and a silent
# one into a folder with a blank, answers from a file, give the same tree,
# Install.Log, registration form and records (the folder aside); a file in use
# gives 3010; a run that fails over an installation puts its records back;
# a full and a read-only destination are refused with code 1 and
# the reason in the log; a drive that fills during the copy gives 2 and is
# left as it was, with what the run made named in the log; malformed
# arguments give 87 (with a box when not silent) and a damaged answer file 1,
# nothing installed; /D= alone sets the folder the main dialog proposes.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

work="$MIVOX_E2E_OUT/$E2E_NAME"
mkdir -p "$work"
silent_dir='C:\Lab Tools\Mivox'
silent_unix="$c/Lab Tools/Mivox"

# silent_setup ARGS...: Setup.exe run with these arguments to its end; prints
# its exit code. Run from a batch file, whose ERRORLEVEL keeps all of a
# Windows exit code (a Linux one is cut to 8 bits: 3010 would read 194).
silent_setup() {
    printf '@"%s" %%*\r\n@echo exit code %%ERRORLEVEL%%\r\n' \
        "$(wine winepath -w "$MIVOX_MEDIUM/Setup.exe" | tr -d '\r')" >"$work/setup.cmd"
    timeout 120 wine cmd /c "$(wine winepath -w "$work/setup.cmd" | tr -d '\r')" "$@" |
        tr -d '\r' | sed -n 's/^exit code //p'
}

# The Windows directory's files of the medium, as the installation names them.
windows_files() {
    (cd "$MIVOX_MEDIUM/WinNT" && find . -type f) | while read -r f; do
        echo "$(dirname "$f" | tr '[:upper:]' '[:lower:]')/$(basename "$f" | tr '[:lower:]' '[:upper:]')"
    done
}

# link_folders DIR: the shortcut folders the Install.Log of DIR names, as
# Linux paths.
link_folders() {
    local log
    log=$(wine winepath -u "$1\\Install.Log" | tr -d '\r')
    [[ -f "$log" ]] || return 0
    tr -d '\r' <"$log" | tail -n +4 | sed -n 's/^\(Made Dir\|File Tree\): //p' | sed 's/\\\*\.\*$//' |
        while read -r folder; do wine winepath -u "$folder" | tr -d '\r'; done
}

# forget_installation DIR: the product tree in DIR, the records, the shortcut
# folders and the Windows directory's files of an installation gone.
forget_installation() {
    local folder f
    link_folders "$1" | while read -r folder; do rm -rf "$folder"; done
    rm -rf "$(wine winepath -u "$1" | tr -d '\r')"
    without_product_record
    for f in $(windows_files); do rm -f "$(windows_file "$f")"; done
}

# snapshot DIR: what an installation into DIR left, with DIR (and the short
# path of its log) written as INSTALLDIR and LOG, so that two folders compare.
snapshot() {
    local dir=$1 key folder links=()
    LOG_ARG=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivox' \
        /v UninstallString | tr -d '\r' | sed -n 's/.*UNWISE.EXE //p') DIR=$dir
    export LOG_ARG DIR
    normal() { perl -pe 's/\Q$ENV{LOG_ARG}\E/LOG/g; s/\Q$ENV{DIR}\E/INSTALLDIR/gi'; }
    echo "== tree"
    (cd "$(wine winepath -u "$dir" | tr -d '\r')" &&
        find . -type f ! -name Install.Log ! -name REGISTER.TXT -exec md5sum {} + | sort -k2)
    echo "== Windows directory"
    for f in $(windows_files); do echo "$(md5sum <"$(windows_file "$f")" | cut -d' ' -f1)  $f"; done
    echo "== Install.Log (the folders made above DIR aside)"
    tail -n +2 "$(wine winepath -u "$dir\\Install.Log" | tr -d '\r')" |
        perl -ne 'print unless /^Made Dir: (.*?)\r?$/ && index(lc $ENV{DIR}, lc "$1\\") == 0' | normal
    echo "== REGISTER.TXT"
    grep -v '^Created: ' "$(wine winepath -u "$dir\\REGISTER.TXT" | tr -d '\r')" | normal
    echo "== records"
    for key in 'Software\Vexlor\Mivox' 'Software\Microsoft\Windows\CurrentVersion\App Paths\Mivox.EXE' \
        'Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivox' 'SYSTEM\CurrentControlSet\Services\Mivox_NT'; do
        wine reg query "HKLM\\$key" | tr -d '\r' | grep '^    ' | sort | normal
    done
    echo "== shortcuts"
    while read -r folder; do
        for link in "$folder"/*.lnk; do
            [[ -e "$link" ]] && links+=("$(wine winepath -w "$link" | tr -d '\r')")
        done
    done < <(link_folders "$dir")
    printf '%s\n' "${links[@]}"
    wine "$(dirname "$MIVOX_UIDRIVER")/readlink.exe" "${links[@]}" | tr -d '\r' | normal
}

# 1. The interactive installation, answered as a deployment answers.
fresh_system
forget_installation "$silent_dir"
install_to_registration no yes yes
register_by_file Ann Tester
finish_installation
interactive=$(snapshot 'C:\Mivox')
expect_eq "the interactive run left a tree and ten shortcuts" "yes 10" \
    "$(grep -q '/MIVOX.EXE$' <<<"$interactive" && echo yes) $(grep -c '\.lnk$' <<<"$interactive")"

# 2. The same silently, into a folder with a blank.
forget_installation 'C:\Mivox'
printf '[Registration]\r\n; the lab machines\r\nFirstName=Ann\r\nLastName=Tester\r\n' >"$work/answers.ini"
answers=$(wine winepath -w "$work/answers.ini" | tr -d '\r')
rm -f "$c/silent.log"
silent_setup /S "/D=$silent_dir" '/LOG=C:\silent.log' "/REGISTER=$answers" /NORESTART >"$work/code" &
setup=$!
dialogs=""
while kill -0 "$setup" 2>/dev/null; do dialogs+=$(drive list | grep '^#32770' || true); done
wait "$setup"
expect_eq "silent installation: exit code" 0 "$(cat "$work/code")"
expect_eq "silent installation: no window shown meanwhile" "" "$dialogs"
silent=$(snapshot "$silent_dir")
if [[ "$silent" == "$interactive" ]]; then
    expect_eq "silent and interactive give the same tree, log, form, records and shortcuts" ok ok
else
    diff <(echo "$interactive") <(echo "$silent") || true
    expect_eq "silent and interactive give the same tree, log, form, records and shortcuts" same different
fi
expect_eq "records name the chosen folder" "$silent_dir" "$(reg_value ProgramDir)"
expect_eq "the progress log ends with the result" "Result: 0 (installed)" \
    "$(tail -1 "$c/silent.log" | tr -d '\r' | cut -d' ' -f3-)"
expect_eq "the progress log tells of the registration" 1 \
    "$(tr -d '\r' <"$c/silent.log" | grep -cF "Registered by file: $silent_dir\\REGISTER.TXT" || true)"

# 3. Once more with the program held open: it is replaced at the restart.
rm -f "$c/ready"
wine "$(dirname "$MIVOX_UIDRIVER")/holdopen.exe" "$silent_dir\\MIVOX.EXE" 'C:\ready' &
holder=$!
on_exit "touch '$silent_unix/MIVOX.EXE.release'; wine reg delete 'HKLM\\System\\CurrentControlSet\\Control\\Session Manager' /v PendingFileRenameOperations /f"
for _ in $(seq 100); do [[ -f "$c/ready" ]] && break; sleep 0.1; done
expect_eq "a file in use: exit code" 3010 "$(silent_setup /S "/D=$silent_dir" '/LOG=C:\inuse.log' /NORESTART)"
expect_eq "a file in use: the log says so" "Files in use are replaced when Windows restarts" \
    "$(tr -d '\r' <"$c/inuse.log" | cut -d' ' -f3- | grep 'Windows restarts' | head -1)"
touch "$silent_unix/MIVOX.EXE.release"
wait "$holder" || true

# 3b. A run over it that fails after writing the records (a folder stands
# where its registration form goes) puts the earlier records back.
wine reg add 'HKLM\Software\Vexlor\Mivox' /v RegisterPerson /d 'Lab Admin' /f >/dev/null 2>&1
rm -f "$silent_unix/REGISTER.TXT" && mkdir "$silent_unix/REGISTER.TXT"
expect_eq "failing over an installation: exit code" 2 \
    "$(silent_setup /S "/D=$silent_dir" '/LOG=C:\undo.log' "/REGISTER=$answers" /NORESTART)"
expect_eq "failing over an installation: the earlier registration is back" "Lab Admin" \
    "$(reg_value RegisterPerson)"
expect_eq "failing over an installation: the log says so" \
    'Restored registry value RegisterPerson of HKEY_LOCAL_MACHINE\SOFTWARE\Vexlor\Mivox' \
    "$(tr -d '\r' <"$c/undo.log" | cut -d' ' -f3- | grep -F 'registry value RegisterPerson')"
rmdir "$silent_unix/REGISTER.TXT"

# 4. Arguments and answers refused before anything is installed.
forget_installation "$silent_dir"
expect_eq "unknown argument, silent: exit code" 87 "$(silent_setup /S /QUIET)"
expect_eq "quote left open, silent: exit code" 87 "$(silent_setup /S '"/D=C:\Lab')"
start_program "$MIVOX_MEDIUM/Setup.exe" "/D=$silent_dir"
expect_text "/D= without /S: the main dialog proposes the folder" "Installation: $silent_dir" "$main" 105
drive click "$main" 2 >/dev/null
expect_eq "/D= without /S: Exit ends Setup as before" 0 "$(wait_exit 20)"
start_program "$MIVOX_MEDIUM/Setup.exe" /D=Mivox
wait_box Setup.exe "the folder must be a full path below a drive's root"
drive click Setup.exe OK >/dev/null
expect_eq "malformed folder, interactive: a box, then exit code" 87 "$(wait_exit 20)"
printf '[Registration]\nFirstName=Ann\nLastName=Tester\nPassword=secret\n' >"$work/bad.ini"
expect_eq "damaged answer file: exit code" 1 \
    "$(silent_setup /S '/LOG=C:\bad.log' "/REGISTER=$(wine winepath -w "$work/bad.ini" | tr -d '\r')")"
expect_eq "damaged answer file: the reason in the log" \
    "Refused: Registration Answer File: Line 4 of the answer file names Password, which is not a registration field." \
    "$(tr -d '\r' <"$c/bad.log" | cut -d' ' -f3- | grep '^Refused')"
expect_eq "nothing installed after the refusals" "no folder, no record" \
    "$([[ -e "$silent_unix" || -e "$c/Mivox" ]] && echo folder || echo no folder), $([[ -n "$(reg_value ProgramDir)" ]] && echo record || echo no record)"

# 5. A full and a read-only destination, and one that fills during the copy
# (room for eight files and folders: the space check passes), on drives of
# their own.
mkdir -p "$work/full" "$work/ro" "$work/fills"
umount "$work/full" "$work/ro" "$work/fills" 2>/dev/null || true
if mount -t tmpfs -o size=1m tmpfs "$work/full" 2>/dev/null && mount -t tmpfs -o ro,size=4m tmpfs "$work/ro" &&
    mount -t tmpfs -o size=4m,nr_inodes=8 tmpfs "$work/fills"; then
    on_exit "umount '$work/full' '$work/ro' '$work/fills'; rm -f '$WINEPREFIX/dosdevices/m:' '$WINEPREFIX/dosdevices/n:' '$WINEPREFIX/dosdevices/o:'"
    dd if=/dev/zero of="$work/full/filler" bs=4k 2>/dev/null || true
    ln -sfn "$work/full" "$WINEPREFIX/dosdevices/m:"
    ln -sfn "$work/ro" "$WINEPREFIX/dosdevices/n:"
    expect_eq "full destination: exit code" 1 "$(silent_setup /S '/D=M:\Mivox' '/LOG=C:\full.log')"
    expect_eq "full destination: the reason in the log" 'Refused: Not Enough Drive Space !: M:\Mivox\' \
        "$(tr -d '\r' <"$c/full.log" | cut -d' ' -f3- | grep '^Refused')"
    expect_eq "read-only destination: exit code" 1 "$(silent_setup /S '/D=N:\Mivox' '/LOG=C:\ro.log')"
    expect_eq "read-only destination: the reason in the log" \
        'Refused: Cannot Use Destination Folder: N:\Mivox  The folder N:\Mivox cannot be created' \
        "$(tr -d '\r' <"$c/ro.log" | cut -d' ' -f3- | grep '^Refused' | sed 's/ (error.*//')"
    expect_eq "nothing installed on the refused drives" "" "$(ls "$work/ro"; ls "$work/full" | grep -v filler)"

    mkdir "$work/fills/Lab" && echo "mine" >"$work/fills/Lab/notes.txt"
    ln -sfn "$work/fills" "$WINEPREFIX/dosdevices/o:"
    drive_before=$(cd "$work/fills" && find . | sort)
    expect_eq "drive filling during the copy: exit code" 2 \
        "$(silent_setup /S '/D=O:\Lab\Mivox' '/LOG=C:\fills.log' /NORESTART)"
    expect_eq "drive filling during the copy: left as it was" "$drive_before" "$(cd "$work/fills" && find . | sort)"
    expect_eq "drive filling during the copy: what the run made is named in the log" \
        'Removed file O:\Lab\Mivox\MIVOX.EXE|Removed folder O:\Lab\Mivox' \
        "$(tr -d '\r' <"$c/fills.log" | cut -d' ' -f3- | grep -Fx -e 'Removed file O:\Lab\Mivox\MIVOX.EXE' \
            -e 'Removed folder O:\Lab\Mivox' | paste -sd'|')"
    expect_eq "drive filling during the copy: no file of the run left in the Windows folder" "" \
        "$(for f in $(windows_files); do [[ -e "$(windows_file "$f")" ]] && echo "$f"; done)"
    expect_eq "drive filling during the copy: no shortcut folder left" "" \
        "$(find "$c" -path "$c/windows" -prune -o -type d -name Vexlor -print)"
else
    echo "SKIP (part): a full and a read-only drive need tmpfs mounts, which this machine refuses"
fi
expect_eq "no record after the refused destinations" "" "$(reg_value ProgramDir)"
finish
