#!/usr/bin/env bash
# The emulated machine must install as Windows does: the example medium is installed
# unattended by the Linux install on an emulated machine and by install.exe under Wine, and
# the outcomes are compared: the installed files and their bytes, uninstall.cfg, the links
# and their targets, the registry values (the emulated registry imported into a second Wine
# prefix with regedit and read back with reg query beside the real one) and the autoexec
# block. Shell folder paths and the Windows directory are compared by what they stand for.
#
#   tests/cross/same_install.sh HOST_BUILD WIN32_BUILD
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
host=$(cd "$1" && pwd) win=$(cd "$2" && pwd)
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
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
switches=(/S /TYPE=full /FOLDERS=desktop,startmenu)

"$host/tools/zovpack/zovpack" media --cfg "$root/examples/install.cfg" --from "$root/examples/payload" \
  --out "$tmp/medium" --stub "$win/install/install.exe" >/dev/null

# The emulated machine.
emu=$tmp/machine
mkdir -p "$emu/a" && cp "$tmp/medium"/* "$emu/a/"
"$host/install/install" --machine "$emu" --cwd 'A:\' "${switches[@]}" >"$tmp/emu.log"

# Wine.
export WINEPREFIX=$tmp/prefix
wineboot -i >/dev/null 2>&1; wineserver -w
for folder in "$WINEPREFIX"/drive_c/users/*/*; do  # links into the home directory: own folders
  if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
done
c=$WINEPREFIX/drive_c
mkdir -p "$c/medium" && cp "$tmp/medium"/* "$c/medium/"
(cd "$c/medium" && wine install.exe "${switches[@]}") ; wineserver -w

fail=0
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
tree() { (cd "$1" && find . -type f ! -name uninstall.cfg | LC_ALL=C sort | while read -r f; do echo "$f $(md5sum <"$f" | cut -c1-32)"; done); }

product_emu=$emu/c/Program\ Files/Tidewater product_wine=$c/Program\ Files/Tidewater
tree "$product_emu" >"$tmp/emu.tree"; tree "$product_wine" >"$tmp/wine.tree"
same "installed files and their bytes" "$tmp/emu.tree" "$tmp/wine.tree"
normalize 'C:\WINDOWS\Desktop' 'C:\WINDOWS\Start Menu' <"$product_emu/uninstall.cfg" >"$tmp/emu.cfg"
normalize "$wdesk" "$wstart" <"$product_wine/uninstall.cfg" >"$tmp/wine.cfg"
same "uninstall.cfg" "$tmp/emu.cfg" "$tmp/wine.cfg"

links() {  # links DESKTOP_DIR STARTMENU_DIR: each link file and its target
  for d in "$1" "$2"; do (cd "$d" && find . -name '*.lnk' | LC_ALL=C sort | while read -r f; do
      echo "$([ "$d" = "$1" ] && echo D || echo S) $f $(lnkinfo "$f" | sed -n 's/.*Local path[[:space:]]*: //p')"; done); done |
    grep -E 'Tidewater|Read Me'  # Wine's desktop is the user's own, with whatever else lies there
}
links "$emu/c/WINDOWS/Desktop" "$emu/c/WINDOWS/Start Menu" >"$tmp/emu.links"
links "$(winepath -u "$wdesk")" "$(winepath -u "$wstart")" >"$tmp/wine.links"
same "links and their targets" "$tmp/emu.links" "$tmp/wine.links"

values() {
  for k in 'HKLM\Software\Tidewater\Notes' 'HKCU\Software\Tidewater\Notes\Settings' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1'; do
    echo "$k"; wine reg query "$k" 2>/dev/null | tr -d '\r' | grep REG_ | sed 's/^ *//' | LC_ALL=C sort
  done
}
values >"$tmp/wine.values"
export WINEPREFIX=$tmp/imported
wineboot -i >/dev/null 2>&1; wineserver -w
wine regedit /S "$(winepath -w "$emu/registry.reg")"; wineserver -w
values >"$tmp/emu.values"
same "registry values (emulated registry imported by regedit)" "$tmp/emu.values" "$tmp/wine.values"

block() { tr -d '\r' <"$1" | grep -c . ; tr -d '\r' <"$1" | grep '^REM - '; }
block "$emu/c/autoexec.bat" >"$tmp/emu.autoexec"; block "$c/autoexec.bat" >"$tmp/wine.autoexec"
same "autoexec.bat block (8.3 names aside)" "$tmp/emu.autoexec" "$tmp/wine.autoexec"
exit $fail
