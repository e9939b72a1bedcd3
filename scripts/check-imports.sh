#!/usr/bin/env bash
# The programs of the medium must start on every Windows the installer
# supports, down to Windows 98 and NT 4.0: Windows refuses to start a program
# that imports a function its system libraries lack. Each function they
# import must be in scripts/windows-imports.txt; a newer call is bound at
# run time instead (win32/SystemLibrary.h), where the program can do
# without it.
# They import only the libraries the system always takes from its own folder
# (comctl32 through the manifest); a library of any other name would be
# looked for beside the program first, where anyone may have put one, so
# every other library is bound at run time by its full path.
#   scripts/check-imports.sh BUILD_DIR...    e.g. build/win64 build/win32
set -uo pipefail
cd "$(dirname "$0")/.."
allowed=scripts/windows-imports.txt

# "DLL Function" for each import of a program, the library's name in capitals.
imports() {
    x86_64-w64-mingw32-objdump -p "$1" | awk '
        /^\tDLL Name: / { dll = toupper($3); next }
        /^$/ { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $NF }'
}

libraries="ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL SHELL32.DLL USER32.DLL"

status=0
for dir in "$@"; do
    for program in Setup.exe Install.Exe UNWISE.EXE ArchiveExtractor.exe Mivox.EXE; do
        path=$dir/$program
        if [[ ! -f "$path" ]]; then
            echo "No $path: build it first" >&2
            status=1
            continue
        fi
        others=$(x86_64-w64-mingw32-objdump -p "$path" | awk '/^\tDLL Name: / { print toupper($3) }' |
            grep -vxF "${libraries// /$'\n'}" || true)
        if [[ -n "$others" ]]; then
            echo "$path imports libraries that are not the system's own ($libraries):"
            sed 's/^/    /' <<<"$others"
            status=1
        fi
        unknown=$(imports "$path" | sort -u | grep -vxFf <(grep -v '^#' "$allowed"))
        if [[ -n "$unknown" ]]; then
            echo "$path imports functions not reviewed for Windows 98 and NT 4.0 (not in $allowed):"
            sed 's/^/    /' <<<"$unknown"
            status=1
        fi
    done
done
((status == 0)) && echo "Imports: each program imports only the system's own libraries and the functions of $allowed"
exit $status
