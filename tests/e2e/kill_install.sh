#!/usr/bin/env bash
# The Linux install of a 30 MB product killed at many points of its work, on an emulated
# machine where another product is installed already. After each kill, (a) the uninstall
# and, on a copy, (b) a second install followed by the uninstall must each leave the
# machine as it was before the first install, file by file and key by key.
# The kill points are journal lines (ZOV_TEST_KILL_AT=N ends the setup the hard way right
# after the N-th change is written down, before it is made), spread over the whole install.
#
#   tests/e2e/kill_install.sh HOST_BUILD [POINTS]     (POINTS: how many kill points, default 12)
set -euo pipefail
build=$(cd "$1" && pwd)
points=${2:-12}
install=$build/install/install uninstall=$build/uninstall/uninstall zovpack=$build/tools/zovpack/zovpack
tmp=$(mktemp -d /tmp/zov-kill.XXXXXX)
trap '[ -n "${KEEP:-}" ] || rm -rf "$tmp"' EXIT
fail=0

# The product: 30 files of 1 MB, a file in the system directory (a shared count), a link,
# INI and registry values, an autoexec line and the uninstaller (for the registration).
mkdir -p "$tmp/payload"
for i in $(seq -w 1 30); do head -c 1000000 /dev/urandom >"$tmp/payload/part$i.dat"; done
echo "MZ control" >"$tmp/payload/killctl.dll"
echo "MZ uninstaller" >"$tmp/uninstaller.exe"
echo "MZ setup" >"$tmp/install.exe"
{ printf '[Setup - Main]\r\nHeader=Kill Test\r\nFolder=Kill Test\r\nInstall Dir=Kill Test\r\nAdd to Program Files=1\r\n[Directories]\r\nDir1=<INSTALLDIR>~\r\nDir2=<WINDOWS_SYSTEM>~\r\n'
  printf '[Files]\r\n'
  for i in $(seq -w 1 30); do printf 'File%s=part%s.dat~<INSTALLDIR>\r\n' "$i" "$i"; done
  printf 'File31=killctl.dll~<WINDOWS_SYSTEM>\r\nFile32=uninstaller.exe~<INSTALLDIR>\r\n'
  printf '[Desktop]\r\nLink1=Kill Test~<INSTALLDIR>\\part01.dat~X~X~~Kill Test\r\n'
  printf '[INI - Setup]\r\nIni1=win.ini~KillTest~Home~<INSTALLDIR>\r\n'
  printf 'Ini2=HKEY_LOCAL_MACHINE\\Software\\KillTest~Paths~Home~<INSTALLDIR>\r\n'
  printf '[AUTOEXEC.BAT]\r\nPATH %%PATH%%;<INSTALLDIR>=\r\n'
} >"$tmp/install.cfg"
"$zovpack" media --cfg "$tmp/install.cfg" --from "$tmp/payload" --out "$tmp/medium" --stub "$tmp/install.exe" \
  --uninstaller "$tmp/uninstaller.exe" >/dev/null

# The machine before: another product installed, an autoexec.bat and a win.ini of the user's.
other=$tmp/other
mkdir -p "$other/payload"
echo "other" >"$other/payload/other.txt"
printf '[Setup - Main]\r\nHeader=Other Product\r\nInstall Dir=Other\r\nAdd to Program Files=1\r\n[Directories]\r\nDir1=<INSTALLDIR>~\r\n[Files]\r\nFile1=other.txt~<INSTALLDIR>\r\nFile2=uninstaller.exe~<INSTALLDIR>\r\n[INI - Setup]\r\nIni1=HKEY_LOCAL_MACHINE\\Software\\Other~~Home~<INSTALLDIR>\r\n' >"$other/install.cfg"
"$zovpack" media --cfg "$other/install.cfg" --from "$other/payload" --out "$other/medium" --stub "$tmp/install.exe" \
  --uninstaller "$tmp/uninstaller.exe" >/dev/null
base=$tmp/base
mkdir -p "$base/a" "$base/c/WINDOWS"
printf '@ECHO OFF\r\n' >"$base/c/autoexec.bat"
printf '[windows]\r\nload=\r\n' >"$base/c/WINDOWS/win.ini"
cp "$other/medium"/* "$base/a/"
"$install" --machine "$base" --cwd 'A:\' /S >"$tmp/other.log" || { echo "FAILED: the other product's install"; cat "$tmp/other.log"; exit 1; }
rm -f "$base"/a/*
cp "$tmp/medium"/* "$base/a/"

listing() {  # every folder and file of the machine with its bytes' sum, and the registry
  (cd "$1" && find . \( -name entries -o -name launch.log \) -prune -o -printf '%y %p\n' | LC_ALL=C sort |
   while read -r kind path; do
     if [ "$kind" = f ]; then echo "$path $(md5sum <"$path" | cut -c1-32)"; else echo "$path/"; fi
   done)
}
listing "$base" >"$tmp/before"
grep -q 'Other Product' "$base/registry.reg" || { echo "FAILED: no registration of the other product"; exit 1; }

run_install() { "$install" --machine "$1" --cwd 'A:\' /S >"$tmp/install.log" 2>&1; }
run_uninstall() { "$uninstall" --machine "$1" /S Kill Test >"$tmp/uninstall.log" 2>&1; }
same_as_before() {  # same_as_before MACHINE WHAT
  if listing "$1" | diff "$tmp/before" - >"$tmp/diff"; then
    echo "ok: $2"
  else
    echo "FAILED: $2: the machine is not as it was"; head -20 "$tmp/diff"; fail=1
  fi
}

# How many changes a whole install makes.
cp -a "$base" "$tmp/whole"
run_install "$tmp/whole" || { echo "FAILED: the whole install"; cat "$tmp/install.log"; exit 1; }
changes=$(sed -n 's/^complete: \([0-9]*\) changes journaled$/\1/p' "$tmp/install.log")
[ -n "$changes" ] || { echo "FAILED: the install did not say how many changes it made"; exit 1; }
run_uninstall "$tmp/whole" || true
same_as_before "$tmp/whole" "a whole install and its uninstall"
echo "a whole install makes $changes changes; killing it at $points points"

for k in $(seq "$points" | awk -v n="$changes" -v p="$points" '{ print int(1 + ($1 - 1) * (n - 1) / (p - 1)) }' | uniq); do
  machine=$tmp/killed
  rm -rf "$machine" "$tmp/second" && cp -a "$base" "$machine"
  code=0
  { ZOV_TEST_KILL_AT=$k run_install "$machine"; } 2>/dev/null || code=$?
  [ "$code" -eq 137 ] || { echo "FAILED: the install was not killed at change $k (exit code $code)"; fail=1; continue; }
  cp -a "$machine" "$tmp/second"
  run_uninstall "$machine" || true  # before the registration is marked there is nothing to remove
  same_as_before "$machine" "killed at change $k, then uninstalled"
  if run_install "$tmp/second"; then
    grep -Eq '^(rolled back|finished) the install of Kill Test' "$tmp/install.log" ||
      { echo "FAILED: the second install did not say it undid the first"; fail=1; }
    run_uninstall "$tmp/second" || { echo "FAILED: the uninstall after the second install"; cat "$tmp/uninstall.log"; fail=1; }
    same_as_before "$tmp/second" "killed at change $k, installed again and uninstalled"
  else
    echo "FAILED: the second install after the kill at change $k"; tail -5 "$tmp/install.log"; fail=1
  fi
done
exit $fail
