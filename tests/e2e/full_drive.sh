#!/usr/bin/env bash
# A destination drive without room, under Wine: a 2 MB tmpfs mapped as drive D:.
#   refused   install.exe /S /D=D:\Tidewater with less free on D: than the install needs: exit 1
#             before any change, nothing on D: or anywhere else, the log names the drive and
#             the space.
#   fills     the wizard into D:\Tidewater with room enough when it checks; the drive is filled
#             while the question whether to replace tidectl.dll (in C:\WINDOWS\SYSTEM, after
#             the files of D:) is up, so what the install writes on D: after it runs out of
#             space. The install must leave D: and tidectl.dll as it found them and name the
#             drive in its log: this needs the install's roll-back.
#
#   tests/e2e/full_drive.sh WIN32_BUILD_DIR refused|fills
# Mounting needs root; without it the test is skipped (exit 77).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
variant=$2
# shellcheck source=e2e_lib.sh
. "$here/e2e_lib.sh"

mnt="$WINEPREFIX.drive-d"
mkdir -p "$mnt"
mountpoint -q "$mnt" && umount "$mnt"
mount -t tmpfs -o size=2m zov-full-drive "$mnt" 2>/dev/null || { echo "cannot mount a tmpfs: skipped"; exit 77; }
trap 'wineserver -k >/dev/null 2>&1 || true; rm -f "$WINEPREFIX/dosdevices/d:"; umount "$mnt" 2>/dev/null || true' EXIT
trap 'exit 1' INT TERM
rm -f "$WINEPREFIX/dosdevices/d:"
ln -s "$mnt" "$WINEPREFIX/dosdevices/d:"

work="$c/zov-full-drive"
rm -rf "$work" && mkdir -p "$work"
make_medium "$payload" "$work/medium"
reset_prefix
free_kb() { df -k --output=avail "$mnt" | tail -1 | tr -d ' '; }
# fill KB: leaves about KB kilobytes free on D:, in a file of its own.
fill() { local n=$(($(free_kb) - $1)); [ "$n" -le 0 ] || dd if=/dev/zero of="$mnt/filler$2" bs=1k count="$n" status=none 2>/dev/null || true; }
listing() { (cd "$mnt" && find . | LC_ALL=C sort); }
payload_kb=$(du -sk "$payload" | cut -f1)

case $variant in
  refused)
    fill $((payload_kb / 2)) 1
    before=$(listing)
    set +e
    (cd "$work/medium" && wine install.exe /S /TYPE=full '/LOG=C:\setup.log' '/D=D:\Tidewater')  # /D= goes last
    code=$?
    set -e
    settle
    tr -d '\r' <"$c/setup.log" || true
    check "exit code 1" test "$code" -eq 1
    check "D: as it was" test "$(listing)" = "$before"
    check "the log names the drive and the space" \
      grep -Eq '^FAILED Not enough space on D: [0-9]+\.[0-9] MB needed, [0-9]+\.[0-9] MB free' "$c/setup.log"
    check "nothing in the system directory" test ! -e "$c/windows/system/tidectl.dll"
    check "no registry value" no_value 'HKLM\Software\Tidewater\Notes' InstallPath
    check "autoexec.bat untouched" test "$(tr -d '\r' <"$c/autoexec.bat")" = '@ECHO OFF'
    check_scratch_gone
    ;;
  fills)
    echo 'a library of another product' >"$c/windows/system/tidectl.dll"
    fill $((payload_kb + 600)) 1
    before=$(listing)
    shots="$work/shots"
    mkdir -p "$shots"
    # The driver's hand-shake: while the question is up, the drive is filled to the last byte.
    ( while [ ! -e "$shots/fill.want" ]; do sleep 0.1; done
      fill 0 2; touch "$shots/fill.done" ) &
    filler=$!
    cat >"$work/scenario.txt" <<S
start C:\\zov-full-drive\\medium install.exe /LOG=C:\\setup.log
timeout 60
window ZovWindow "ZOV32 - Setup"
press Next
press Accept
type "D:\\Tidewater"
press Next
press Next
check "Full Install ( All Files will be installed )" on
press Next
check "Return to Windows after installed" on
press Install
window #32770 "Confirm"
message "File Already Exists (tidectl.dll). Overwrite?"
shot fill
press Yes
gone
decline-all
S
    drive "$work/scenario.txt" || check "the scenario played to its end" false
    kill "$filler" 2>/dev/null || true
    wait "$filler" || true
    rm -f "$mnt/filler2"
    tr -d '\r' <"$c/setup.log" || true
    check "the drive filled during the install" test -n "$(ls "$shots"/fill.done 2>/dev/null)"
    check "D: as it was" test "$(listing)" = "$before"
    check "the other product's library kept" test "$(cat "$c/windows/system/tidectl.dll")" = 'a library of another product'
    check "the log names the drive" grep -q '^FAILED.*D:' "$c/setup.log"
    check "no registration" no_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1' \
      UninstallString
    check_scratch_gone
    ;;
esac
exit $fail
