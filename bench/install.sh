#!/usr/bin/env bash
# Installing a product of 20 MB or more under Wine: install.exe /S against an NSIS installer
# (makensis, zlib) that does the same work.
#  - The product: the example's install.cfg with its payload grown by MB files of 1 MB (half
#    text, half program bytes) into the install directory (MB=20 by default).
#  - The same work: NSIS writes the same files to the same folders (install directory and
#    its Samples, the system and Windows directories, a folder below Program Files), makes
#    the alternative directory, the same seven links (on the desktop, in the Start menu and
#    in the program folder on the desktop and in Programs), the two INI values, the
#    two registry values, its uninstaller with the uninstall registration, and appends the
#    same lines to autoexec.bat after a backup.
#  - Both with winemenubuilder off, in one prefix whose wineserver stays up for the whole run.
#  - The figure is the processor time (user + system) of the wine process of each installer,
#    from its start until it exits; wineserver's own work and its wind-down are not in it.
#    The two run in turn for REPEAT rounds; the median of the per-round ratios is printed,
#    with the medians of each and their wall-clock times.
#  - SAMPLE=1 adds a profile of one install.exe run by shared object (perf).
# The Linux install on the emulated machine is timed beside (wall-clock, peak memory).
#   bash bench/install.sh [WORKDIR]      (default /tmp/zov-bench-install; REPEAT=7)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/zov-bench-install}
repeat=${REPEAT:-7}
mb=${MB:-20}
command -v makensis >/dev/null || { echo "needs makensis (apt-get install nsis)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs GNU time (bash tools/setup-deps.sh)" >&2; exit 1; }
host=$root/build/host win=$root/build/win32
[ -x "$host/install/install" ] && [ -f "$win/install/install.exe" ] ||
  { echo "build the host and win32 presets first" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work/payload"
cp "$win"/examples/payload/* "$work/payload/"
half=$((mb * 500000))
{ find /usr/share/doc /usr/include -type f 2>/dev/null | sort | xargs cat 2>/dev/null | head -c $half
  find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +8k 2>/dev/null | sort | xargs cat 2>/dev/null \
    | head -c $half; } >"$work/all" || true  # the readers stop early by design
[ "$(stat -c %s "$work/all")" -eq $((2 * half)) ] || { echo "not enough data on this machine" >&2; exit 1; }
(cd "$work/payload" && split -b 1000000 -d -a 2 ../all big && for f in big*; do mv "$f" "$f.dat"; done)
rm "$work/all"
cfg=$work/install.cfg
# The big files join [Files]: inserted before the overwrite section.
awk -v extra="$(cd "$work/payload" && n=10; for f in big*.dat; do echo "File$n=$f~<INSTALLDIR>"; n=$((n+1)); done)" '
  /^\[Files - OverWrite\]/ { print extra; print ""; } { print }' "$root/examples/install.cfg" | tr -d '\r' >"$cfg"
"$host/tools/zovpack/zovpack" media --cfg "$cfg" --from "$work/payload" --out "$work/medium" \
  --stub "$win/install/install.exe" >&2

median() { sort -g | awk '{ a[NR] = $1 } END { m = int((NR + 1) / 2); print (NR % 2 ? a[m] : (a[m] + a[m + 1]) / 2) }'; }

echo "== emulated machine (Linux install): $repeat runs" >&2
: >"$work/emu.times"
for _ in $(seq "$repeat"); do
  rm -rf "$work/machine" && mkdir -p "$work/machine/a" && cp "$work/medium"/* "$work/machine/a/"
  /usr/bin/time -f "%e %M" -o "$work/emu.one" "$host/install/install" --machine "$work/machine" --cwd 'A:\' \
    /S /TYPE=full /FOLDERS=desktop >/dev/null
  cat "$work/emu.one" >>"$work/emu.times"
done
emu_time=$(cut -d' ' -f1 "$work/emu.times" | median)
emu_rss=$(cut -d' ' -f2 "$work/emu.times" | sort -g | tail -1)

# The NSIS installer: the example's work, file for file.
nsi=$work/same.nsi
p=$work/payload
{ cat <<N
SetCompressor zlib
OutFile "nsis-setup.exe"
Name "Tidewater Notes 2.1"
InstallDir "\$PROGRAMFILES\\Tidewater"
RequestExecutionLevel admin
SilentInstall silent
Section
SetOutPath "\$INSTDIR"
N
  for f in notes.exe notes.hlp readme.txt license.txt uninstaller.exe "$p"/big*.dat; do echo "File \"$p/$(basename "$f")\""; done
  cat <<N
File "$cfg"
SetOutPath "\$INSTDIR\\Samples"
File "$p/welcome.tnt"
SetOutPath "\$SYSDIR"
File "$p/tidectl.dll"
SetOutPath "\$WINDIR"
File "$p/tidewatr.bmp"
SetOutPath "\$PROGRAMFILES\\Tidewater Shared"
File "$p/spelling.dic"
CreateDirectory "C:\\Tidewater Data"
CreateShortCut "\$DESKTOP\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe" "/welcome"
CreateDirectory "\$DESKTOP\\Tidewater Notes"
CreateShortCut "\$DESKTOP\\Tidewater Notes\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe" "/welcome"
CreateShortCut "\$DESKTOP\\Tidewater Notes\\Read Me.lnk" "\$INSTDIR\\readme.txt"
CreateDirectory "\$SMPROGRAMS\\Tidewater Notes"
CreateShortCut "\$SMPROGRAMS\\Tidewater Notes\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe" "/welcome"
CreateShortCut "\$SMPROGRAMS\\Tidewater Notes\\Read Me.lnk" "\$INSTDIR\\readme.txt"
CreateShortCut "\$STARTMENU\\Tidewater Notes.lnk" "\$INSTDIR\\notes.exe" "/welcome"
CreateShortCut "\$STARTMENU\\Read Me.lnk" "\$INSTDIR\\readme.txt"
WriteINIStr "\$WINDIR\\tidewater.ini" Paths Home "\$INSTDIR"
WriteINIStr "\$WINDIR\\tidewater.ini" Paths Samples "\$INSTDIR\\Samples"
WriteRegStr HKLM "Software\\Tidewater\\Notes" InstallPath "\$INSTDIR"
WriteRegStr HKCU "Software\\Tidewater\\Notes\\Settings" FirstRun 1
WriteUninstaller "\$INSTDIR\\uninst.exe"
WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tidewater Notes 2.1" DisplayName "Tidewater Notes 2.1"
WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tidewater Notes 2.1" UninstallString '"\$INSTDIR\\uninst.exe"'
CopyFiles /SILENT "C:\\autoexec.bat" "C:\\autoexec.zov"
FileOpen \$0 "C:\\autoexec.bat" a
FileSeek \$0 0 END
FileWrite \$0 "REM - Starting Zovrand Update\$\\r\$\\nPATH %PATH%;\$INSTDIR\$\\r\$\\n"
FileWrite \$0 "REM TIDEWATER DATA LIVES IN C:\\TIDEWATER DATA\$\\r\$\\nCOPY/Y \$INSTDIR\\README.TXT C:\\TIDEWA~1\$\\r\$\\nREM - End of Zovrand\$\\r\$\\n"
FileClose \$0
SectionEnd
Section Uninstall
RMDir /r "\$INSTDIR"
SectionEnd
N
} >"$nsi"
(cd "$work" && makensis -V1 "$nsi")

echo "== Wine: install.exe /S and the NSIS installer /S in turn, $repeat rounds" >&2
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p  # stays up between the runs: no start-up or wind-down of the server in either
trap 'wineserver -k 2>/dev/null || true' EXIT
c=$WINEPREFIX/drive_c
cp -r "$work/medium" "$c/medium"
cp "$work/nsis-setup.exe" "$c/"
desktop=$(wine winepath -u "$(wine cmd /c echo %USERPROFILE% | tr -d '\r')\\Desktop" 2>/dev/null | tr -d '\r')
startmenu=$(wine winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')\\Microsoft\\Windows\\Start Menu" 2>/dev/null | tr -d '\r')
# What either install made goes before the next run.
reset() {
  rm -rf "$c/Program Files/Tidewater" "$c/Program Files/Tidewater Shared" "$c/Tidewater Data" \
    "$c/windows/system/tidectl.dll" "$c/windows/tidewatr.bmp" "$c/windows/tidewater.ini" "$c/autoexec.zov" \
    "$desktop/Tidewater Notes.lnk" "$desktop/Read Me.lnk" "$desktop/Tidewater Notes" \
    "$startmenu/Tidewater Notes.lnk" "$startmenu/Read Me.lnk" "$startmenu/Programs/Tidewater Notes"
  printf '@ECHO OFF\r\n' >"$c/autoexec.bat"
}
# one NAME DIR COMMAND...: one timed install; appends "cpu wall" to $work/NAME.times.
one() {
  local name=$1 dir=$2; shift 2
  reset
  (cd "$dir" && /usr/bin/time -f '%U %S %e' -o "$work/$name.one" "$@" >/dev/null 2>&1)
  awk '{ printf "%.3f %.3f\n", $1 + $2, $3 }' "$work/$name.one" >>"$work/$name.times"
}
: >"$work/zov.times"; : >"$work/nsis.times"
for _ in $(seq "$repeat"); do
  one zov "$c/medium" wine install.exe /S /TYPE=full /FOLDERS=desktop
  test -f "$c/Program Files/Tidewater/big00.dat" || { echo "install.exe did not install" >&2; exit 1; }
  one nsis "$c" wine nsis-setup.exe /S
  test -f "$c/Program Files/Tidewater/big00.dat" || { echo "the NSIS installer did not install" >&2; exit 1; }
done
ratios=$(paste -d' ' "$work/zov.times" "$work/nsis.times" | awk '{ printf "%.3f\n", $1 / $3 }')
cpu() { cut -d' ' -f1 "$work/$1.times" | median; }
wall() { cut -d' ' -f2 "$work/$1.times" | median; }

if [ -n "${SAMPLE:-}" ] && command -v perf >/dev/null; then
  reset
  (cd "$c/medium" && perf record -q -F 2000 -o "$work/perf.data" wine install.exe /S /TYPE=full /FOLDERS=desktop \
    >/dev/null 2>&1) || true
  echo "== install.exe, processor time by shared object (perf)"
  perf report -i "$work/perf.data" --sort comm,dso --stdio 2>/dev/null | grep -v '^#' | grep . | head -15
fi

printf '\n| run | processor s | wall-clock s | peak RSS |\n|---|---|---|---|\n'
printf '| Linux install, emulated machine | | %s | %s KB |\n' "$emu_time" "$emu_rss"
printf '| install.exe /S under Wine | %s | %s | |\n' "$(cpu zov)" "$(wall zov)"
printf '| NSIS installer /S under Wine | %s | %s | |\n' "$(cpu nsis)" "$(wall nsis)"
printf '\nratio install.exe / NSIS, processor time of the wine process: %sx (median of %s rounds: %s)\n' \
  "$(median <<<"$ratios")" "$repeat" "$(tr '\n' ' ' <<<"$ratios")"
printf 'payload %s bytes; medium %s bytes in %s segments; NSIS installer %s bytes\n' \
  "$(cat "$work"/payload/* | wc -c)" "$(cat "$work/medium"/disk.* | wc -c)" "$(ls "$work/medium"/disk.* | wc -l)" \
  "$(stat -c %s "$work/nsis-setup.exe")"
