#!/usr/bin/env bash
# Install, then uninstall, under Wine with the real programs: the example medium made by
# zovpack.exe with the project's uninstaller.exe in its payload, installed by
# "install.exe /S /TYPE=full /LOG=..." started from the medium as a user starts it from a CD,
# checked (files, uninstall.cfg, registry values, links, autoexec.bat and its backup, the
# INI value, the setup's scratch gone, the medium untouched), then removed by the installed
# "uninstaller.exe /S TITLE" as the registration starts it. The prefix afterwards is the
# prefix before: its files (but the users' folders, which Wine links to the host's home, and
# the temporary directory) and the registry's Software keys, exported before and after.
#
#   tests/e2e/install_uninstall.sh WIN32_BUILD_DIR [PROGRAMS_DIR]
# PROGRAMS_DIR: the tree whose install/install.exe and uninstall/uninstaller.exe go on the
# medium (another build of them), WIN32_BUILD_DIR's own by default.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
programs=$(cd "${2:-$1}" && pwd)
# shellcheck source=e2e_lib.sh
. "$here/e2e_lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What an earlier install of the example in this prefix (another test's) left.
rm -rf "$product" "$c/medium" "$c/windows/tidewater.ini" "$c/windows/system/tidectl.dll" "$c/autoexec.zov" \
       "$c/windows/tidewatr.bmp" "$c/Program Files/Tidewater Shared" "$c/Tidewater Data"
for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1' \
           'HKLM\Software\Tidewater' 'HKCU\Software\Tidewater'; do
  wine reg delete "$key" /f >/dev/null 2>&1 || true
done
for counted in 'C:\windows\System\tidectl.dll' 'C:\windows\tidewatr.bmp'; do
  wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' /v "$counted" /f >/dev/null 2>&1 || true
done
printf '@ECHO OFF\r\n' >"$c/autoexec.bat"
wine "$build/tools/zovpack/zovpack.exe" media --cfg "$(winepath -w "$root/examples/install.cfg")" \
  --from "$(winepath -w "$payload")" --out 'C:\medium' \
  --stub "$(winepath -w "$programs/install/install.exe")" \
  --uninstaller "$(winepath -w "$programs/uninstall/uninstaller.exe")" >/dev/null
settle

# The state compared: every file but the users' and the temporary ones, and the keys.
state() {
  (cd "$c" && find . -path ./users -prune -o -path ./windows/temp -prune -o -printf '%p %s\n' | sort)
  for key in 'HKEY_LOCAL_MACHINE\Software' 'HKEY_CURRENT_USER\Software'; do
    wine regedit /E "C:\\windows\\temp\\state.reg" "$key" >/dev/null 2>&1
    # Wine's own keys below Software\Wine change as it runs.
    iconv -f UTF-16LE -t UTF-8 "$c/windows/temp/state.reg" | tr -d '\r' |
      awk '/^\[/ { skip = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 } !skip'
  done
}
state >"$work/before"
rm -f "$c/autoexec.zov"
set +e
(cd "$c/medium" && wine install.exe /S /TYPE=full /FOLDERS=desktop,startmenu '/LOG=C:\windows\temp\setup.log')
code=$?
set -e
settle
echo "install exit code $code; log:"
tr -d '\r' <"$c/windows/temp/setup.log"
check "install exit code 0" test "$code" -eq 0
for f in notes.exe notes.hlp readme.txt license.txt install.exe install.cfg uninstall.cfg Samples/welcome.tnt; do
  check "installed $f" test -f "$product/$f"
done
check "the shared library in the system directory" test -f "$c/windows/system/tidectl.dll"
check "the wallpaper in the Windows directory" test -f "$c/windows/tidewatr.bmp"
check "the word list below Program Files" test -f "$shared/spelling.dic"
check "the payload is byte for byte" cmp "$payload/notes.exe" "$product/notes.exe"
record=$(tr -d '\r' <"$product/uninstall.cfg")
check "uninstall.cfg title" grep -qx 'Title=Tidewater Notes 2.1' <<<"$record"
check "uninstall.cfg default patterns" grep -qx 'C:\\Program Files\\Tidewater\\\*\.\*=' <<<"$record"
check "uninstall.cfg records a file" grep -qx 'C:\\Program Files\\Tidewater\\notes.exe=' <<<"$record"
check "uninstall.cfg records the registry location" grep -qx 'HKEY_LOCAL_MACHINE\\Software\\Tidewater=' <<<"$record"
check "registry value below HKLM" query 'HKLM\Software\Tidewater\Notes' InstallPath 'C:\Program Files\Tidewater\'
check "registry value below HKCU" query 'HKCU\Software\Tidewater\Notes\Settings' FirstRun 1
check "uninstall registration, quoted" query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1' \
  UninstallString '"C:\Program Files\Tidewater\uninstaller.exe" Tidewater Notes 2.1'
check "autoexec.bat block" grep -q 'REM - Starting Zovrand Update' "$c/autoexec.bat"
check "autoexec.bat keeps its lines" grep -q '@ECHO OFF' "$c/autoexec.bat"
check "autoexec.zov backup" grep -q '@ECHO OFF' "$c/autoexec.zov"
check "INI value" grep -q 'Home=C:\\Program Files\\Tidewater' "$c/windows/tidewater.ini"
check_scratch_gone
check "the medium is left as it was" test -f "$c/medium/disk.001" -a -f "$c/medium/install.exe"
# The desktop the setup used: the shell folder it recorded its links below.
desktop_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
desktop=$(winepath -u "$(wine reg query "$desktop_key" /v Desktop | tr -d '\r' | sed -n 's/.*REG_SZ *//p')" | tr -d '\r')
check "the desktop link is made" test -f "$desktop/Tidewater Notes.lnk"
check_link "$desktop/Tidewater Notes.lnk" notes.exe
check "program folder on the desktop" test -f "$desktop/Tidewater Notes/Read Me.lnk"
check "the project's uninstaller" cmp "$programs/uninstall/uninstaller.exe" "$product/uninstaller.exe"
echo "uninstall.cfg:"; tr -d '\r' <"$product/uninstall.cfg" | sed -n '/^\[UNINS\]/,/^\[Registry\]/p'

set +e
wine "C:\\Program Files\\Tidewater\\uninstaller.exe" /S '/LOG=C:\windows\temp\uninstall.log' Tidewater Notes 2.1
code=$?
set -e
settle  # the copy that removes the program's own file has ended too
echo "exit code $code; log:"
tr -d '\r' <"$c/windows/temp/uninstall.log"
check "exit code 0" test "$code" -eq 0
check "the install directory is gone" test ! -e "$product"
check "the desktop link is gone" test ! -e "$desktop/Tidewater Notes.lnk"
check "the program folder on the desktop is gone" test ! -e "$desktop/Tidewater Notes"
check "autoexec.bat is as before" test "$(cat "$c/autoexec.bat")" = $'@ECHO OFF\r'
check "autoexec.zov, which the install made, is gone" test ! -e "$c/autoexec.zov"
state >"$work/after"
if diff "$work/before" "$work/after" >"$work/diff"; then
  echo "ok: the prefix is as it was"
else
  echo "FAILED: the prefix is not as it was:"; cat "$work/diff"; fail=1
fi
rm -rf "$c/medium"
exit $fail
