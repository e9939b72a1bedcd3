#!/usr/bin/env bash
# Emptying drive A: (a folder mapped as the floppy drive, in a Wine session of
# this test's own) removes nested, long-named, hidden and read-only content
# and more than a hundred folders, and keeps the drive's root. A folder that
# cannot be removed ends the run with an I/O error.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"
floppy="$MIVOX_E2E_OUT/$E2E_NAME-floppy"
attributes() { wine cmd /c "attrib $1" | tr -d '\r' | cut -c1-11 | tr -d ' '; }

rm -rf "$floppy"
deep="$floppy/A folder with a rather long name/and another long-named one below it/L3/L4"
mkdir -p "$deep" "$floppy/.hidden folder" "$floppy/Samples"
printf 'data' >"$deep/SINE.MDF"
printf 'part' >"$floppy/Mivox10.001"
printf 'ini' >"$floppy/Install.Ini"
printf 'secret' >"$floppy/Samples/.calibration"
printf 'inside' >"$floppy/.hidden folder/x.txt"
for i in $(seq 1 110); do
    mkdir -p "$floppy/Many/Sub$i"
    printf 'f' >"$floppy/Many/Sub$i/f.txt"
done
ln -sfn "$floppy" "$WINEPREFIX/dosdevices/a:"
wine cmd /c 'attrib +r A:\Mivox10.001' >/dev/null
wine cmd /c 'attrib +r "A:\A folder with a rather long name\and another long-named one below it\L3\L4\SINE.MDF"' >/dev/null
expect_eq "the part file is read-only" "AR" "$(attributes 'A:\Mivox10.001')"
expect_eq "the calibration file is hidden" "AH" "$(attributes 'A:\Samples\.calibration')"

expect_eq "emptied without an error" "emptied" "$(sysops emptydrive A:)"
expect_eq "nothing left on A:" "" "$(find "$floppy" -mindepth 1)"
expect_eq "the root stays" "yes" "$([[ -d "$floppy" ]] && echo yes || echo no)"

mkdir -p "$floppy/Busy" "$floppy/Other"
printf 'b' >"$floppy/Busy/open.dat"
printf 'o' >"$floppy/Other/o.dat"
wine ./holdopen.exe 'A:\Busy\open.dat' 'A:\ready' &
holder=$!
for _ in $(seq 100); do [[ -f "$floppy/ready" ]] && break; sleep 0.1; done
rm -f "$floppy/ready"
result=$(sysops emptydrive A: || true)
expect_eq "a folder that cannot be removed is an I/O error" \
    "error: Cannot remove the folder A:\\Busy (error 145)" "$result"
expect_eq "what could go is gone" "$floppy/Busy $floppy/Busy/open.dat" \
    "$(find "$floppy" -mindepth 1 | sort | tr '\n' ' ' | sed 's/ $//')"
touch "$floppy/Busy/open.dat.release"
wait "$holder" || true
rm -f "$WINEPREFIX/dosdevices/a:"
finish
