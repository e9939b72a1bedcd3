#!/usr/bin/env bash
# The programs of the medium must start on every Windows the installer
# supports, down to Windows 95, 98 and NT 4.0: Windows refuses to start a
# program that imports a function its system libraries lack. Each function
# they import must be in scripts/windows-imports.txt as one Windows 95 has
# (or a 64-bit-only one, in a 64-bit program); a newer call is bound at run
# time instead (win32/SystemLibrary.h), where the program can do without it.
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

reviewed=$(grep -v '^#' "$allowed")

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
        # Accepted SINCE tags, as the list explains them.
        accepted="95 95-stub msvcrt"
        x86_64-w64-mingw32-objdump -f "$path" | grep -q 'pei-x86-64' && accepted+=" x64"
        unknown="" later=""
        while read -r dll function; do
            since=$(awk -v d="$dll" -v f="$function" '$1 == d && $2 == f { print $3 }' <<<"$reviewed")
            if [[ -z "$since" ]]; then
                unknown+="    $dll $function"$'\n'
            elif [[ " $accepted " != *" $since "* ]]; then
                later+="    $dll $function (needs $since)"$'\n'
            fi
        done < <(imports "$path" | sort -u)
        if [[ -n "$unknown" ]]; then
            echo "$path imports functions not reviewed for Windows 95, 98 and NT 4.0 (not in $allowed):"
            printf '%s' "$unknown"
            status=1
        fi
        if [[ -n "$later" ]]; then
            echo "$path imports functions Windows 95 lacks (bind them at run time instead):"
            printf '%s' "$later"
            status=1
        fi
    done
done
((status == 0)) && echo "Imports: each program imports only the system's own libraries and functions Windows 95 has ($allowed)"
exit $status
