#!/usr/bin/env bash
# A full installation of the sample medium, driven through the real windows
# and answering every question: afterwards the installed tree (file names
# upper-cased), the files in the Windows directory, Install.Log byte for byte,
# the registry records as Windows reads them, and the installer's exit. A Wine
# session of this test's own keeps the installation away from other tests.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

# The log's date and time texts at this moment.
stamp() {
    local days=(Mon Tue Wed Thr Fri Sat Sun)
    echo "$(LC_ALL=C date +'%b %e, %Y')  ${days[$(($(date +%u) - 1))]} $(LC_ALL=C date +'%l:%M %P')"
}
# The shell folder of HKLM or HKCU as Setup.exe reads it.
shell_folder() {
    wine reg query "$1\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders" \
        /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}
query() {
    wine reg query "HKLM\\$1" 2>/dev/null | tr -d '\r' | grep '^    ' | sed 's/^ *//; s/    /|/g'
}

fresh_system
before=$(stamp)
install_to_registration yes yes yes
after=$(stamp)
register_by_file Ann Tester
person="Ann Tester"
finish_installation

# The product tree: directories as on the medium, file names upper-cased.
expected=$(cd "$MIVOX_MEDIUM/APP" && find . -type f | awk -F/ '{ OFS = "/"; $NF = toupper($NF); print }' | sort)
actual=$(cd "$c/Mivox" && find . -type f ! -name Install.Log ! -name Install.Lst ! -name REGISTER.TXT | sort)
expect_eq "installed tree" "$expected" "$actual"
# Install.Lst: its header, then each file of the tree with its size and
# its write time as Windows reads it (UTC, in 100 ns units since 1601).
listed() {
    local size time path
    echo "Mivox installed files, size, UTC time, path"
    (cd "$c/Mivox" && find . -type f ! -name 'Install.*' ! -name REGISTER.TXT -printf '%s %T@ %P\n') |
        while read -r size time path; do
            local fraction=${time#*.}0000000
            echo "$size $((${time%.*} * 10000000 + 10#${fraction:0:7} + 116444736000000000)) ${path//\//\\}"
        done
}
expect_eq "Install.Lst names each file of the tree with its size and time" \
    "$(listed | sort)" "$(tr -d '\r' <"$c/Mivox/Install.Lst" | sort)"
for f in $(cd "$MIVOX_MEDIUM/WinNT" && find . -type f); do
    up=$(dirname "$f" | tr '[:upper:]' '[:lower:]')/$(basename "$f" | tr '[:lower:]' '[:upper:]')
    expect_eq "Windows directory file $up" "0" "$(cmp -s "$MIVOX_MEDIUM/WinNT/$f" "$(windows_file "$up")"; echo $?)"
done
expect_eq "no Windows 95/98 files" "" "$(ls "$c/windows/system" 2>/dev/null | grep -i mivox || true)"

# Install.Log, 16 lines with the desktop copy.
programs=$(shell_folder HKLM "Common Programs")
[[ -n "$programs" ]] || programs=$(shell_folder HKCU Programs)
desktop=$(shell_folder HKLM "Common Desktop")
[[ -n "$desktop" ]] || desktop=$(shell_folder HKCU Desktop)
log_with() {
    printf '%s\r\n' "*** Installation Started: $1 ***" "Title: Mivox" 'File Tree: C:\Mivox\*.*' \
        "RegDB Root: 0" 'RegDB TREE: SOFTWARE\Vexlor\Mivox' "RegDB Root: 2" \
        'RegDB TREE: SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Mivox.EXE' "RegDB Root: 2" \
        'RegDB TREE: SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Mivox' "RegDB Root: 2" \
        'RegDB TREE: SYSTEM\CurrentControlSet\Services\Mivox_NT' "RegDB Root: 2" \
        "VDD Entry: Mivox_VM.DLL" "Made Dir: $programs\\Vexlor" "File Tree: $programs\\Vexlor\\Mivox\\*.*" \
        "File Tree: $desktop\\Mivox\\*.*"
}
log=$(od -An -c "$c/Mivox/Install.Log")
if [[ "$log" == "$(log_with "$before" | od -An -c)" || "$log" == "$(log_with "$after" | od -An -c)" ]]; then
    expect_eq "Install.Log byte for byte" ok ok
else
    expect_eq "Install.Log byte for byte" "$(log_with "$before")" "$(cat "$c/Mivox/Install.Log")"
fi

# The records, as Windows reads them.
version=$(wine reg query 'HKLM\Software\Vexlor\Mivox' /v ProgramVersion | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
expect_eq "product version recorded" "4.10.0.10" "$version"
expect_eq "product record" "$(printf '%s\n' 'ProgramDir|REG_SZ|C:\Mivox' \
    'ProgramPath|REG_SZ|C:\Mivox\Mivox.EXE' 'ProgramVersion|REG_SZ|4.10.0.10' \
    "RegisterPerson|REG_SZ|$person" 'RegisterCompany|REG_SZ|' 'RegisterSerial|REG_SZ|' | sort)" \
    "$(query 'SOFTWARE\Vexlor\Mivox' | sed 's/|$/|/' | sort)"
expect_eq "App Paths" "$(printf '%s\n' '(Default)|REG_SZ|C:\Mivox\Mivox.EXE' 'Path|REG_SZ|C:\Mivox')" \
    "$(query 'SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Mivox.EXE' | sort)"
uninstall=$(query 'SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Mivox' | grep '^UninstallString' || true)
expect_eq "uninstall command names the uninstaller and the log's short path" "1" \
    "$([[ "${uninstall^^}" == 'UNINSTALLSTRING|REG_SZ|C:\WINDOWS\UNWISE.EXE C:\MIVOX\INSTALL.LOG' ]] && echo 1 || echo "$uninstall")"
expect_eq "driver service" "VEXLOR Drivers" \
    "$(query 'SYSTEM\CurrentControlSet\Services\Mivox_NT' | sed -n 's/^Group|REG_SZ|//p')"
# The five links of each folder, loaded back through the shell.
logshort=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivox' \
    /v UninstallString | tr -d '\r' | sed -n 's/.*UNWISE.EXE //p')
for group in "$programs\\Vexlor\\Mivox" "$desktop\\Mivox"; do
    unix=$(wine winepath -u "$group" 2>/dev/null | tr -d '\r')
    expect_eq "five links in $group" "Mivox Application.lnk|Mivox Help.lnk|Mivox Readme.lnk|Mivox Release.lnk|Mivox Uninstall.lnk" \
        "$(ls "$unix" | sort | paste -sd'|')"
    links=()
    for link in Application Help Readme Release Uninstall; do links+=("$group\\Mivox $link.lnk"); done
    expect_eq "links in $group point at the product and the uninstaller" "$(printf '%s\n' \
        'C:\Mivox\Mivox.EXE||C:\Mivox' 'C:\Mivox\Mivox.HLP||C:\Mivox' \
        'C:\Mivox\README.TXT||C:\Mivox' 'C:\Mivox\RELEASE.TXT||C:\Mivox' \
        "C:\\windows\\UNWISE.EXE|$logshort|C:\\windows" | tr '[:lower:]' '[:upper:]')" \
        "$(wine "$(dirname "$MIVOX_UIDRIVER")/readlink.exe" "${links[@]}" | tr -d '\r' | tr '[:lower:]' '[:upper:]')"
done
finish
