#!/usr/bin/env bash
# The emulated machine must install as Windows does. Each scenario installs the example
# unattended twice: with the Linux install on a fresh emulated machine, and with install.exe
# under Wine; then the outcomes are compared:
#   - every file the install made or changed anywhere on drive C (the install directory, the
#     Windows and system directories, Program Files, the alternative directory, autoexec.bat
#     and its backup) with its bytes; uninstall.cfg, autoexec.bat and the INI file as text;
#   - the links on the desktop and in the Start Menu, and their targets;
#   - the registry values the example writes (the emulated registry imported into a second
#     Wine prefix with regedit and read back with reg query beside the real one).
# Shell folders, the Windows directory and 8.3 names are compared by what they stand for.
# Scenarios: full (one directory, default destination), workstation (network type into
# another directory), disks (three 1.44 MB disks), again (the full install a second time into
# the same directory, over the first).
#
#   tests/cross/same_install.sh HOST_BUILD WIN32_BUILD [SCENARIO...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
host=$(cd "$1" && pwd) build=$(cd "$2" && pwd)
shift 2
tmp=$(mktemp -d /tmp/zov-same-install.XXXXXX)
xvfb=""
cleanup() {
  for p in "$tmp/prefix" "$tmp/imported"; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; done
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  exec 3>"$tmp/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$tmp/display")"
fi
export WINEPREFIX=$tmp/prefix
# shellcheck source=../e2e/e2e_lib.sh
. "$root/tests/e2e/e2e_lib.sh"
fail=0  # e2e_lib's checks are not used here

# Copies of the test run's prefix where there is one; Wine servers that stay up until the end.
for p in "$tmp/prefix" "$tmp/imported"; do
  if [ -d "${ZOV_WINEPREFIX_TEMPLATE:-}" ]; then "$root/cmake/wine-run" --clone "$ZOV_WINEPREFIX_TEMPLATE" "$p"
  else WINEPREFIX=$p wineboot -i >/dev/null 2>&1; fi
  WINEPREFIX=$p wineserver -p </dev/null >/dev/null 2>&1
done
for folder in "$c"/users/*/*; do  # links into the home directory: own folders
  if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
done

media() {  # media PAYLOAD OUT [options]
  "$host/tools/zovpack/zovpack" media --cfg "$root/examples/install.cfg" --from "$1" --out "$2" \
    --stub "$build/install/install.exe" "${@:3}" >/dev/null 2>"$tmp/zovpack.err" || { cat "$tmp/zovpack.err"; exit 1; }
}
media "$payload" "$tmp/medium"
media "$payload_disks" "$tmp/disks" --disk 1457664  # 1.44 MB floppies
test -f "$tmp/disks/disk.003" || { echo "the disks medium is not three disks"; exit 1; }

same() {  # same WHAT FILE_A FILE_B
  if diff -u "$2" "$3" >"$tmp/diff"; then echo "same: $1"; else echo "DIFFERENT: $1"; cat "$tmp/diff"; fail=1; fi
}
shellfolder() { wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v "$1" |
                tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
wdesk=$(shellfolder Desktop) wstart=$(shellfolder 'Start Menu')
# Paths as what they stand for: the Programs group lies inside the Start Menu on both.
normalize() {  # normalize DESKTOP STARTMENU  < text
  sed -e "s|$(printf '%s' "$1" | sed 's/[\\.]/\\&/g')|<DESKTOP>|Ig" \
      -e "s|$(printf '%s' "$2" | sed 's/[\\.]/\\&/g')|<STARTMENU>|Ig" -e 's|C:\\WINDOWS|<WINDIR>|Ig' \
      -E -e 's/\\[A-Z0-9_]{1,6}~[A-Z0-9]{1,3}/\\<8.3>/g' | tr -d '\r'  # Wine hashes 8.3 names, Windows numbers them
}
# Every file below drive C (at DIR) made or changed since MARKER, but the setup's scratch
# directory, the medium and the users' folders (the links are compared by what they point
# at), and Wine's own files that every copy of the run's prefix links (their change time
# moves with each copy); the Windows directory's name as what it stands for.
changed() {  # changed DIR MARKER
  (cd "$1" && find . -type f -links 1 -cnewer "$2" ! -ipath './windows/temp/*' ! -path './medium/*' ! -path './users/*' \
     ! -ipath './windows/desktop/*' ! -ipath './windows/start menu/*' ! -name uninstall.cfg |
   while read -r f; do
     sum=$(md5sum <"$f" | cut -c1-32)
     case $f in ./autoexec.bat | ./autoexec.zov) sum="(its text is compared below)" ;; esac  # 8.3 names
     echo "$(sed -E 's|^\./windows/|./<WINDIR>/|I; s|^\./<WINDIR>/system/|./<WINDIR>/<SYSTEM>/|I' <<<"$f") $sum"
   done | LC_ALL=C sort)
}
links() {  # links DESKTOP_DIR STARTMENU_DIR: each link file and its target
  for d in "$1" "$2"; do (cd "$d" && find . -name '*.lnk' | LC_ALL=C sort | while read -r f; do
      echo "$([ "$d" = "$1" ] && echo D || echo S) $f $(lnkinfo "$f" | sed -n 's/.*Local path[[:space:]]*: //p')"; done); done |
    grep -E 'Tidewater|Read Me'  # Wine's desktop is the user's own, with whatever else lies there
}
values() {
  for k in 'HKLM\Software\Tidewater\Notes' 'HKCU\Software\Tidewater\Notes\Settings' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'; do
    echo "$k"; wine reg query "$k" 2>/dev/null | tr -d '\r' | grep REG_ | sed 's/^ *//' | normalize "$none" "$none" | LC_ALL=C sort ||
      true  # a key that is not there has no values
  done
}
none='@none@'  # a shell folder that is not there
text() {  # text FILE: a text file of the install, by what its paths stand for
  if [ -f "$1" ]; then normalize "$2" "$3" <"$1"; else echo "(no $1)"; fi | sed "s|$tmp/[a-z]*/||"
}

# scenario NAME MEDIUM INSTALL_DIR TIMES SWITCHES...: the install TIMES times on each side.
scenario() {
  local name=$1 medium=$2 dir=$3 times=$4 i
  shift 4
  echo "== $name"
  local emu=$tmp/machine-$name
  mkdir -p "$emu/a" "$emu/c" && cp "$tmp/$medium"/* "$emu/a/"
  printf '@ECHO OFF\r\n' >"$emu/c/autoexec.bat"
  touch "$tmp/emu.marker"
  for ((i = 1; i <= times; i++)); do
    "$host/install/install" --machine "$emu" --cwd 'A:\' "$@" >"$tmp/emu.log" || { echo "FAILED: the Linux install"; fail=1; }
  done

  reset_prefix
  wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' /f >/dev/null 2>&1 || true  # as a fresh Windows
  rm -rf "$c/medium" && mkdir -p "$c/medium" && cp "$tmp/$medium"/* "$c/medium/"
  touch "$tmp/wine.marker"
  for ((i = 1; i <= times; i++)); do
    (cd "$c/medium" && wine install.exe "$@") || { echo "FAILED: install.exe"; fail=1; }
    settle
  done

  local wdir
  wdir=$(winepath -u "$dir")
  changed "$emu/c" "$tmp/emu.marker" >"$tmp/emu.files"; changed "$c" "$tmp/wine.marker" >"$tmp/wine.files"
  same "$name: files made or changed on drive C, and their bytes" "$tmp/emu.files" "$tmp/wine.files"
  local edir=${dir#C:\\}
  text "$emu/c/${edir//\\//}/uninstall.cfg" 'C:\WINDOWS\Desktop' 'C:\WINDOWS\Start Menu' >"$tmp/emu.cfg"
  text "$wdir/uninstall.cfg" "$wdesk" "$wstart" >"$tmp/wine.cfg"
  same "$name: uninstall.cfg" "$tmp/emu.cfg" "$tmp/wine.cfg"
  for f in autoexec.bat autoexec.zov; do
    text "$emu/c/$f" "$none" "$none" >"$tmp/emu.$f"; text "$c/$f" "$none" "$none" >"$tmp/wine.$f"
    same "$name: $f (8.3 names aside)" "$tmp/emu.$f" "$tmp/wine.$f"
  done
  text "$(find "$emu/c" -maxdepth 2 -ipath '*/windows/tidewater.ini')" "$none" "$none" >"$tmp/emu.ini"
  text "$c/windows/tidewater.ini" "$none" "$none" >"$tmp/wine.ini"
  same "$name: tidewater.ini" "$tmp/emu.ini" "$tmp/wine.ini"
  links "$emu/c/WINDOWS/Desktop" "$emu/c/WINDOWS/Start Menu" >"$tmp/emu.links"
  links "$(winepath -u "$wdesk")" "$(winepath -u "$wstart")" >"$tmp/wine.links"
  same "$name: links and their targets" "$tmp/emu.links" "$tmp/wine.links"

  values >"$tmp/wine.values"
  (export WINEPREFIX=$tmp/imported
   for k in 'HKLM\Software\Tidewater' 'HKCU\Software\Tidewater' 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' \
            'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1'; do
     wine reg delete "$k" /f >/dev/null 2>&1 || true
   done
   wine regedit /S "$(winepath -w "$emu/registry.reg")"
   values) >"$tmp/emu.values"
  same "$name: registry values (emulated registry imported by regedit)" "$tmp/emu.values" "$tmp/wine.values"
}

all=(full workstation disks again)
chosen=("$@")
[ ${#chosen[@]} -gt 0 ] || chosen=("${all[@]}")
for name in "${chosen[@]}"; do
  case $name in
    full) scenario full medium 'C:\Program Files\Tidewater' 1 /S /TYPE=full /FOLDERS=desktop,startmenu ;;
    workstation) scenario workstation medium 'C:\Tide Work' 1 /S /TYPE=network /FOLDERS=desktop '/D=C:\Tide Work' ;;
    disks) scenario disks disks 'C:\Program Files\Tidewater' 1 /S /TYPE=full /FOLDERS=startmenu ;;
    again) scenario again medium 'C:\Program Files\Tidewater' 2 /S /TYPE=full /FOLDERS=desktop,startmenu ;;
    *) echo "no scenario $name"; exit 2 ;;
  esac
done
exit $fail
