#!/usr/bin/env bash
# The unattended setup under Wine: builds the example medium with the Windows zovpack.exe,
# runs "install.exe DIR /S /TYPE=full /LOG=..." from it, and checks the prefix afterwards:
# the files, uninstall.cfg, the registry values, the links, autoexec.bat and its backup,
# and that the setup's own scratch directories are gone.
#
#   tests/e2e/silent_install.sh WIN32_BUILD_DIR
#
# Runs in the Wine prefix of the test run (WINEPREFIX) on its virtual display.
set -euo pipefail
. "$(dirname "$0")/wine_test.sh"
rm -rf "$product" "$c/Program Files/Tidewater Shared" "$c/windows/tidewatr.bmp" "$c/medium" "$c/setup.log" "$c/autoexec.bat" "$c/autoexec.zov"
printf '@ECHO OFF\r\n' >"$c/autoexec.bat"

wine "$build/tools/zovpack/zovpack.exe" media --cfg "$(winepath -w "$root/examples/install.cfg")" \
  --from "$(winepath -w "$payload")" --out 'C:\medium' \
  --stub "$(winepath -w "$build/install/install.exe")" >/dev/null
set +e
# Started from the medium as a user starts it from a CD: the medium is the current directory.
(cd "$c/medium" && wine install.exe /S /TYPE=full /FOLDERS=desktop '/LOG=C:\setup.log')
code=$?
set -e
wineserver -w
echo "exit code $code; log:"
tr -d '\r' <"$c/setup.log"

check "exit code 0" test "$code" -eq 0
for f in notes.exe notes.hlp readme.txt license.txt uninstaller.exe install.exe install.cfg uninstall.cfg \
         Samples/welcome.tnt; do
  check "installed $f" test -f "$product/$f"
done
check "the shared library in the system directory" test -f "$c/windows/system/tidectl.dll"
check "the wallpaper in the Windows directory" test -f "$c/windows/tidewatr.bmp"
check "the word list below Program Files" test -f "$c/Program Files/Tidewater Shared/spelling.dic"
check "the payload is byte for byte" cmp "$payload/notes.exe" "$product/notes.exe"
cfg=$(tr -d '\r' <"$product/uninstall.cfg")
check "uninstall.cfg title" grep -qx 'Title=Tidewater Notes 2.1' <<<"$cfg"
check "uninstall.cfg default patterns" grep -qx 'C:\\Program Files\\Tidewater\\\*\.\*=' <<<"$cfg"
check "uninstall.cfg records a file" grep -qx 'C:\\Program Files\\Tidewater\\notes.exe=' <<<"$cfg"
check "uninstall.cfg records the registry location" grep -qx 'HKEY_LOCAL_MACHINE\\Software\\Tidewater=' <<<"$cfg"
query() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -F "$3"; }
check "registry value below HKLM" query 'HKLM\Software\Tidewater\Notes' InstallPath 'C:\Program Files\Tidewater\'
check "registry value below HKCU" query 'HKCU\Software\Tidewater\Notes\Settings' FirstRun 1
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1'
check "uninstall registration, quoted" query "$uninstall" UninstallString '"C:\Program Files\Tidewater\uninstaller.exe" Tidewater Notes 2.1'
desktop=$(wine winepath -u "$(wine cmd /c echo %USERPROFILE% | tr -d '\r')\\Desktop" 2>/dev/null | tr -d '\r')
check "desktop link to the program" bash -c "lnkinfo '$desktop/Tidewater Notes.lnk' | grep -qi 'notes.exe'"
check "program folder on the desktop" test -f "$desktop/Tidewater Notes/Read Me.lnk"
check "autoexec.bat block" grep -q 'REM - Starting Zovrand Update' "$c/autoexec.bat"
check "autoexec.bat keeps its lines" grep -q '@ECHO OFF' "$c/autoexec.bat"
check "autoexec.zov backup" grep -q '@ECHO OFF' "$c/autoexec.zov"
check "INI value" grep -q 'Home=C:\\Program Files\\Tidewater' "$c/windows/tidewater.ini"
check "the payload's scratch directory is gone" test ! -e "$c/windows/temp/z"
check "the medium is left as it was" test -f "$c/medium/disk.001" -a -f "$c/medium/install.exe"
exit $fail
