#!/usr/bin/env bash
# The whole floppy chain on a drive A: of a formatted 1.44 MB disk's capacity:
# the archive program runs Setup, Setup finds the archive among the running
# programs and cuts it onto numbered disks, disk 1 taking Install.Exe and
# Install.Ini beside a full part; Install.Exe joins the disks again, checks
# them, replaces an older file of the archive's name only then, and starts the
# archive program. Setup finds the running archive on Windows 98 as well.
# A session of this test's own: drive A: is mapped in its prefix.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

work="$MIVOX_E2E_OUT/floppy"
# Drive A: is let go once Wine has ended.
on_exit '"$MIVOX_WINE_SESSION" "$MIVOX_WINE_DIR" stop; umount "$work/a" 2>/dev/null'
umount "$work/a" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work/a" "$work/disk1" "$work/disk2"
# The disk's capacity: tmpfs rounds 1,457,664 up to whole pages (1,458,176
# bytes), and each file takes whole pages, so disk 1 holds a little less
# than a FAT disk would.
if ! mount -t tmpfs -o size=1457664 tmpfs "$work/a" 2>/dev/null; then
    echo "SKIP: $E2E_NAME needs a 1.44 MB drive A: and this machine refuses to mount a tmpfs"
    exit 77
fi
ln -sfn "$work/a" "$WINEPREFIX/dosdevices/a:"
wine reg delete 'HKCU\Software\Wine\AppDefaults\Setup.exe' /f >/dev/null 2>&1 || true
archive="$(dirname "$MIVOX_MEDIUM")/Mivox10.EXE"
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')" 2>/dev/null)
rm -rf "$temp/Mivox10" "$temp/Mivox10.EXE" "$temp"/MVX*.tmp

start_program "$archive"
drive wait "Mivox 4.10 Archive" >/dev/null
drive click "Mivox 4.10 Archive" "Yes"
main="Mivox Installation"
drive --timeout 30000 wait "$main" >/dev/null
drive click "$main" "Disks"

size=$(stat -c %s "$archive")
count=$(((size + 1399999) / 1400000))
expect_eq "the sample archive spans more than one disk" "yes" "$( ((count > 1)) && echo yes)"
wait_box "Create Floppy Disk Set ?" "$count disks will be required for Drive A:"
drive click "Create Floppy Disk Set ?" "Yes"
# An old disk: its files and folders must go, whatever their attributes.
mkdir -p "$work/a/OLD/Deeper and longer named folder"
echo old >"$work/a/OLD/Deeper and longer named folder/old.txt"
echo old >"$work/a/README.OLD"
for disk in $(seq "$count"); do
    wait_box "Insert Disk into Drive A:" "Creating Disk $disk of $count"
    if ((disk > 1)); then mv "$work/a/"* "$work/disk$((disk - 1))/"; fi
    mkdir -p "$work/disk$disk"
    drive click "Insert Disk into Drive A:" "OK"
done
wait_box "Floppy Disk Set Completed" "Remove the last disk from Drive A:"
screenshot completed
mv "$work/a/"* "$work/disk$count/"
drive click "Floppy Disk Set Completed" "OK"

expect_eq "disk 1" "Install.Exe Install.Ini Mivox10.001" "$(cd "$work/disk1" && echo *)"
exe_size=$(stat -c %s "$work/disk1/Install.Exe")
echo "Install.Exe: $exe_size bytes"
parts=()
for disk in $(seq "$count"); do
    part=$(printf 'Mivox10.%03d' "$disk")
    parts+=("$work/disk$disk/$part")
    if ((disk > 1)); then expect_eq "disk $disk" "$part" "$(cd "$work/disk$disk" && echo *)"; fi
    if ((disk < count)); then
        expect_eq "part $disk is a full part" "1400000" "$(stat -c %s "$work/disk$disk/$part")"
    fi
done
expect_eq "the parts make the archive" "same" \
    "$(cat "${parts[@]}" | cmp -s - "$archive" && echo same)"
expect_eq "Install.Exe is the medium's" "same" \
    "$(cmp -s "$work/disk1/Install.Exe" "$MIVOX_MEDIUM/Misc/Install.Exe" && echo same)"
crc=$(gzip -c "$archive" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' ' | tr a-f A-F)
program_date=$(LC_ALL=C date -r "$MIVOX_MEDIUM/APP/Mivox.EXE" +%b/%d/%Y)
# File times are kept to two seconds, rounded down.
mtime=$(stat -c %Y "$MIVOX_MEDIUM/APP/Mivox.EXE")
program_time=$(LC_ALL=C date -d "@$((mtime - mtime % 2))" +%I:%M:%S%P)
expected_ini="Configuration file for Install.Exe
Copyright (C) 2001 Vexlor. Written by Setup.exe; do not edit.
[Data]
FileExeName=Mivox10.EXE
FileVersion=4.10.0.10
FileVerDate=$program_date
FileVerTime=$program_time
FileByteCnt=$size
FilePartCnt=$count
FileCodeCRC=$crc"
expect_eq "Install.Ini" "$expected_ini" "$(tr -d '\r' <"$work/disk1/Install.Ini")"
expect_eq "Install.Ini lines end with CR LF" "10" "$(grep -c $'\r$' "$work/disk1/Install.Ini")"

drive click "$main" "Exit"
expect_eq "the archive program ends with Setup" "0" "$(wait_exit 20)"

# A crafted Install.Ini that would put the archive outside the chosen folder
# is refused before anything is asked or written.
cp "$work/disk1/Install.Exe" "$work/a/"
sed 's/^FileExeName=.*/FileExeName=..\\Mivox10.EXE/' "$work/disk1/Install.Ini" >"$work/a/Install.Ini"
start_program 'A:\Install.Exe'
wait_box "Mivox Disk Set" \
    'A:\Install.Ini is damaged and cannot be used: FileExeName is not a plain file name.'
drive click "Mivox Disk Set" "OK"
expect_eq "a crafted Install.Ini is refused" "1" "$(wait_exit 20)"
rm -f "$work/a/"*

# An older file of the archive's name stays until the set is joined and
# checked: cancelling at the first disk keeps it.
echo "the user's own file" >"$temp/Mivox10.EXE"
cp "$work/disk1/"* "$work/a/"
start_program 'A:\Install.Exe'
wait_box "Mivox Disk Set" "will be put together in the folder"
drive click "Mivox Disk Set" "Yes"
wait_box "Mivox Disk Set" "Insert disk 1 of $count"
drive click "Mivox Disk Set" "Cancel"
expect_eq "cancelled at disk 1" "1" "$(wait_exit 20)"
expect_eq "cancelling keeps the existing file" "the user's own file" "$(cat "$temp/Mivox10.EXE")"
expect_eq "cancelling leaves no partial file" "" "$(cd "$temp" && ls | grep -i '^MVX.*\.tmp$' || true)"

# Joining: disk 1 in the drive, then disk 1 again by mistake, then disk 2.
start_program 'A:\Install.Exe'
wait_box "Mivox Disk Set" "will be put together in the folder"
drive click "Mivox Disk Set" "Yes"
wait_box "Mivox Disk Set" "Insert disk 1 of $count"
drive click "Mivox Disk Set" "OK"
wait_box "Mivox Disk Set" "Insert disk 2 of $count"
drive click "Mivox Disk Set" "OK"
wait_box "Mivox Disk Set" 'does not hold A:\Mivox10.002'
for disk in $(seq 2 "$count"); do
    ((disk > 2)) && wait_box "Mivox Disk Set" "Insert disk $disk of $count"
    rm -f "$work/a/"*
    cp "$work/disk$disk/"* "$work/a/"
    drive click "Mivox Disk Set" "OK"
done
wait_box "Mivox Disk Set" "is complete and checked"
expect_eq "the joined archive replaces the older file" "same" \
    "$(cmp -s "$temp/Mivox10.EXE" "$archive" && echo same)"
expect_eq "no temporary file is left" "" "$(cd "$temp" && ls | grep -i '^MVX.*\.tmp$' || true)"
drive click "Mivox Disk Set" "OK"
# The joined archive program starts and offers to unpack.
drive --timeout 20000 wait "Mivox 4.10 Archive" >/dev/null
expect_eq "Install.Exe ends after starting the archive" "0" "$(wait_exit 20)"
drive click "Mivox 4.10 Archive" "Cancel"
wait_exit 20 >/dev/null

# On Windows 95/98 the archive program is found through a process snapshot.
wine reg add 'HKCU\Software\Wine\AppDefaults\Setup.exe' /v Version /d win98 /f >/dev/null 2>&1
start_program "$archive"
drive wait "Mivox 4.10 Archive" >/dev/null
# Each run unpacks into a new folder of its own, so nothing of the first
# run is asked about.
drive click "Mivox 4.10 Archive" "Yes"
drive --timeout 30000 wait "$main" >/dev/null
drive click "$main" "Disks"
# Found: the count question comes rather than the open dialog.
expect_eq "Windows 98: the running archive is found" "found" \
    "$(drive --timeout 20000 wait "Create Floppy Disk Set ?" && echo found)"
drive click "Create Floppy Disk Set ?" "No"
drive click "$main" "Exit"
expect_eq "Windows 98: the archive program ends with Setup" "0" "$(wait_exit 20)"
finish
