#!/usr/bin/env bash
# The product's registry records as the uninstaller and Windows read them
# (wine reg query), their key security read back in the same session, and
# the Windows 98 variant without driver, VDD or key security. A Wine session
# of this test's own keeps the records away from the other tests.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
# query KEY: the key's values as "name type data" lines.
query() {
    wine reg query "HKLM\\$1" 2>/dev/null | tr -d '\r' | grep '^    ' | sed 's/^ *//; s/    /|/g'
}
product='SOFTWARE\Vexlor\Mivox'
apppath='SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Mivox.EXE'
uninstall='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Mivox'
service='SYSTEM\CurrentControlSet\Services\Mivox_NT'
vdd='SYSTEM\CurrentControlSet\Control\VirtualDeviceDrivers'
command='C:\windows\UNWISE.EXE C:\ZEM\MIVOX\INSTALL.LOG'

clean() {
    local key
    for key in "$product" "$apppath" "$uninstall" "$service" "$vdd"; do
        wine reg delete "HKLM\\$key" /f >/dev/null 2>&1 || true
    done
    wine reg add "HKLM\\$vdd" /v VDD /t REG_MULTI_SZ /d 'vdd.dll' /f >/dev/null
}

# Windows NT: every record, Everyone on the product and service keys.
wine reg delete 'HKCU\Software\Wine\AppDefaults\sysops.exe' /f >/dev/null 2>&1 || true
clean
expect_eq "records written" "recorded" "$(sysops records 'C:\ZEM\Mivox' 4.10.0.10 "$command")"
expect_eq "product record" "$(printf '%s\n' \
    'ProgramDir|REG_SZ|C:\ZEM\Mivox' \
    'ProgramPath|REG_SZ|C:\ZEM\Mivox\Mivox.EXE' \
    'ProgramVersion|REG_SZ|4.10.0.10' \
    'RegisterCompany|REG_SZ|' \
    'RegisterPerson|REG_SZ|' \
    'RegisterSerial|REG_SZ|')" "$(query "$product")"
expect_eq "application path" "$(printf '%s\n' \
    '(Default)|REG_SZ|C:\ZEM\Mivox\Mivox.EXE' \
    'Path|REG_SZ|C:\ZEM\Mivox')" "$(query "$apppath")"
expect_eq "uninstall entry" "$(printf '%s\n' \
    'DisplayName|REG_SZ|Mivox 4.10.0.10 Uninstall' \
    "UninstallString|REG_SZ|$command")" "$(query "$uninstall")"
expect_eq "driver service" "$(printf '%s\n' \
    'BaseAddress|REG_DWORD|0x0' \
    'ErrorControl|REG_DWORD|0x1' \
    'Group|REG_SZ|VEXLOR Drivers' \
    'Start|REG_DWORD|0x2' \
    'Tag|REG_DWORD|0x2' \
    'Type|REG_DWORD|0x1')" "$(query "$service")"
expect_eq "VDD list" 'VDD|REG_MULTI_SZ|vdd.dll\0Mivox_VM.DLL' "$(query "$vdd")"

# Key security, read back while the session lives: the key's own entries,
# then Everyone on the key and Everyone on every subkey made later. On the
# service key Everyone reads and makes subkeys (query, enumerate, notify,
# create subkey, read control) but sets no value of the key itself.
for entries in "$product|(A;;KA;;;WD)(A;CIIO;KA;;;WD)" \
    "$service|(A;;CCLCSWRPRC;;;WD)(A;CIIO;KA;;;WD)"; do
    key=${entries%%|*}
    expected=${entries#*|}
    dacl=$(sysops dacl "$key")
    expect_eq "$key: Everyone's two entries come last" "$expected" "${dacl: -${#expected}}"
    expect_eq "$key: the administrators keep theirs" "yes" \
        "$([[ $dacl == *'(A;;KA;;;BA)'* ]] && echo yes || echo no)"
done
expect_eq "App Paths is not opened to Everyone" "no" \
    "$([[ $(sysops dacl "$apppath") == *';WD)'* ]] && echo yes || echo no)"

# Installing again: the registration is emptied, the VDD entry not doubled,
# Everyone still has exactly two entries.
wine reg add "HKLM\\$product" /v RegisterPerson /d 'Ann Smith' /f >/dev/null
sysops records 'D:\Apps\Mivox' 4.10.0.11 "$command" >/dev/null
expect_eq "registration emptied" "RegisterPerson|REG_SZ|" \
    "$(query "$product" | grep RegisterPerson)"
expect_eq "new folder" 'ProgramDir|REG_SZ|D:\Apps\Mivox' "$(query "$product" | grep ProgramDir)"
expect_eq "VDD entry once" 'VDD|REG_MULTI_SZ|vdd.dll\0Mivox_VM.DLL' "$(query "$vdd")"
expect_eq "two Everyone entries" "2" "$(sysops dacl "$product" | grep -o ';WD)' | wc -l)"

# Windows 98: product, App Paths and Uninstall only, no key security.
wine reg add 'HKCU\Software\Wine\AppDefaults\sysops.exe' /v Version /d win98 /f >/dev/null
clean
sysops records 'C:\Mivox' 4.10.0.10 "$command" >/dev/null
expect_eq "98: product record" 'ProgramDir|REG_SZ|C:\Mivox' "$(query "$product" | grep ProgramDir)"
expect_eq "98: uninstall entry" "UninstallString|REG_SZ|$command" \
    "$(query "$uninstall" | grep UninstallString)"
expect_eq "98: no driver service" "" "$(query "$service")"
expect_eq "98: VDD list untouched" 'VDD|REG_MULTI_SZ|vdd.dll' "$(query "$vdd")"
expect_eq "98: no Everyone entries" "0" "$(sysops dacl "$product" | grep -o ';WD)' | wc -l)"
wine reg delete 'HKCU\Software\Wine\AppDefaults\sysops.exe' /f >/dev/null 2>&1 || true
finish
