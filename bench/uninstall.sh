#!/usr/bin/env bash
# Uninstalling a 20 MB product under Wine: uninstaller.exe against the NSIS uninstaller of
# the same 20 files, side by side in one Wine prefix. Each run starts from the installed
# state and lasts until the install directory is gone (both uninstallers finish from a copy
# of themselves in the temporary directory). Prints the sizes of the two uninstallers too.
#   bash bench/uninstall.sh [WORKDIR]     (default /tmp/zov-bench-uninstall; REPEAT=3)
# Times are wall-clock seconds, the best of REPEAT runs, Wine's start included in both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/zov-bench-uninstall}
repeat=${REPEAT:-3}
command -v makensis >/dev/null || { echo "needs makensis (bash tools/setup-deps.sh)" >&2; exit 1; }

echo "building uninstaller.exe (win32 preset)" >&2
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target zov_uninstaller -j2 >/dev/null
uninstaller=$root/build/win32/uninstall/uninstaller.exe

mkdir -p "$work/files"
for i in $(seq -w 1 20); do
  [ -s "$work/files/part$i.dat" ] || head -c 1000000 /dev/urandom > "$work/files/part$i.dat"
done
export WINEPREFIX=$work/prefix WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
drive=$WINEPREFIX/drive_c

# The NSIS installer of the same files, with an uninstaller that removes them.
{ echo 'Name "ZovBench"'; echo 'OutFile "nsis-setup.exe"'; echo 'InstallDir "C:\zovbench\nsis"'
  echo 'RequestExecutionLevel user'; echo 'SilentInstall silent'
  echo 'Section'; echo 'SetOutPath "$INSTDIR"'; echo "File \"$work/files/*.dat\""
  echo 'WriteUninstaller "$INSTDIR\uninst.exe"'; echo 'SectionEnd'
  echo 'Section "Uninstall"'
  for f in "$work"/files/*.dat; do echo "Delete \"\$INSTDIR\\$(basename "$f")\""; done
  echo 'Delete "$INSTDIR\uninst.exe"'; echo 'RMDir "$INSTDIR"'; echo 'SectionEnd'
} > "$work/bench.nsi"
(cd "$work" && makensis -V1 bench.nsi >/dev/null)

# ours: the installed state as the setup leaves it, with the uninstall.cfg it writes.
install_ours() {
  local dir=$drive/zovbench/ours
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$work"/files/*.dat "$uninstaller" "$dir/"
  { printf '[Program]\r\nTitle=ZovBench\r\n[UNINS]\r\n'
    printf 'C:\\zovbench\\ours\\*.*=\r\nC:\\zovbench\\ours\\Setup\\*.*=\r\n'
    for f in "$dir"/*; do printf 'C:\\zovbench\\ours\\%s=\r\n' "$(basename "$f")"; done
    printf '[Created Directories]\r\nC:\\zovbench\\ours=\r\n'
  } > "$dir/uninstall.cfg"
}
install_nsis() {
  rm -rf "$drive/zovbench/nsis"
  wine "$work/nsis-setup.exe" /S >/dev/null 2>&1
  wineserver -w
}

# seconds from the start of COMMAND... until DIR is gone
until_gone() {
  local dir=$1; shift
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  while [ -e "$dir" ]; do sleep 0.01; done
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

best() { sort -n | head -1; }
ours=() nsis=()
for _ in $(seq "$repeat"); do
  install_ours
  ours+=("$(until_gone "$drive/zovbench/ours" wine 'C:\zovbench\ours\uninstaller.exe' /S ZovBench)")
  wineserver -w
  install_nsis
  [ -f "$drive/zovbench/nsis/uninst.exe" ] || { echo "the NSIS install failed" >&2; exit 1; }
  nsis_size=$(stat -c %s "$drive/zovbench/nsis/uninst.exe")
  nsis+=("$(until_gone "$drive/zovbench/nsis" wine 'C:\zovbench\nsis\uninst.exe' /S)")
  wineserver -w
done
o=$(printf '%s\n' "${ours[@]}" | best)
n=$(printf '%s\n' "${nsis[@]}" | best)
printf 'uninstall 20 x 1 MB under Wine: uninstaller.exe %.2f s, NSIS uninstaller %.2f s, ratio %.2f\n' \
  "$o" "$n" "$(echo "$o / $n" | bc -l)"
printf 'uninstaller.exe %d bytes, NSIS uninst.exe %d bytes\n' \
  "$(stat -c %s "$uninstaller")" "$nsis_size"
