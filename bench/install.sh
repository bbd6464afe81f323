#!/usr/bin/env bash
# Installing a 20 MB product: the example's install.cfg with its payload scaled up (20 files
# of 1 MB, half text, half program bytes, put into the install directory).
#  1. On the emulated machine: the Linux install (expansion plus copy), wall time and peak
#     memory.
#  2. Under Wine, side by side in one run: install.exe /S from the medium against an NSIS
#     installer of the same files (makensis, zlib) installing silently; the ratio
#     install.exe / NSIS is the figure (goal: at most 1).
#   bash bench/install.sh [WORKDIR]      (default /tmp/zov-bench-install; REPEAT=5)
# Times are wall-clock seconds, the median of REPEAT runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/zov-bench-install}
repeat=${REPEAT:-5}
command -v makensis >/dev/null || { echo "needs makensis (apt-get install nsis)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs GNU time (bash tools/setup-deps.sh)" >&2; exit 1; }
host=$root/build/host win=$root/build/win32
[ -x "$host/install/install" ] && [ -f "$win/install/install.exe" ] ||
  { echo "build the host and win32 presets first" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work/payload"
cp "$win"/examples/payload/* "$work/payload/"
{ find /usr/share/doc /usr/include -type f 2>/dev/null | sort | head -4000 | xargs cat 2>/dev/null | head -c 10000000
  find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +8k 2>/dev/null | sort | xargs cat 2>/dev/null \
    | head -c 10000000; } >"$work/all" || true  # the readers stop early by design
[ "$(stat -c %s "$work/all")" -eq 20000000 ] || { echo "not enough data on this machine" >&2; exit 1; }
(cd "$work/payload" && split -b 1000000 -d -a 2 ../all big && for f in big*; do mv "$f" "$f.dat"; done)
cfg=$work/install.cfg
# The big files join [Files]: inserted before the overwrite section.
awk -v extra="$(cd "$work/payload" && n=10; for f in big*.dat; do echo "File$n=$f~<INSTALLDIR>"; n=$((n+1)); done)" '
  /^\[Files - OverWrite\]/ { print extra; print ""; } { print }' "$root/examples/install.cfg" | tr -d '\r' >"$cfg"
"$host/tools/zovpack/zovpack" media --cfg "$cfg" --from "$work/payload" --out "$work/medium" \
  --stub "$win/install/install.exe" >&2

median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
now() { date +%s.%N; }

echo "== emulated machine (Linux install): $repeat runs" >&2
: >"$work/emu.times"
for _ in $(seq "$repeat"); do
  rm -rf "$work/machine" && mkdir -p "$work/machine/a" && cp "$work/medium"/* "$work/machine/a/"
  /usr/bin/time -f "%e %M" -o "$work/emu.one" "$host/install/install" --machine "$work/machine" --cwd 'A:\' \
    /S /TYPE=full >/dev/null
  cat "$work/emu.one" >>"$work/emu.times"
done
emu_time=$(cut -d' ' -f1 "$work/emu.times" | median)
emu_rss=$(cut -d' ' -f2 "$work/emu.times" | sort -g | tail -1)

echo "== Wine: install.exe /S against an NSIS installer of the same files" >&2
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1; wineserver -w
nsi=$work/same.nsi
{ echo 'SetCompressor zlib'; echo 'OutFile "nsis-setup.exe"'; echo 'InstallDir "C:\Program Files\NsisTool"'
  echo 'RequestExecutionLevel admin'; echo 'SilentInstall silent'; echo 'Section'; echo 'SetOutPath $INSTDIR'
  for f in "$work"/payload/*; do echo "File \"$f\""; done; echo 'SectionEnd'; } >"$nsi"
(cd "$work" && makensis -V1 "$nsi")
c=$WINEPREFIX/drive_c
cp -r "$work/medium" "$c/medium"
: >"$work/zov.times"; : >"$work/nsis.times"
for _ in $(seq "$repeat"); do
  rm -rf "$c/Program Files/Tidewater" "$c/Program Files/NsisTool"
  t0=$(now); (cd "$c/medium" && wine install.exe /S /TYPE=full); wineserver -w; t1=$(now)
  echo "$t1 - $t0" | bc >>"$work/zov.times"
  t0=$(now); wine "$work/nsis-setup.exe" /S; wineserver -w; t1=$(now)
  echo "$t1 - $t0" | bc >>"$work/nsis.times"
done
zov=$(median <"$work/zov.times"); nsis=$(median <"$work/nsis.times")
wineserver -k || true
printf '\n| run | seconds | peak RSS |\n|---|---|---|\n'
printf '| Linux install, emulated machine | %s | %s KB |\n' "$emu_time" "$emu_rss"
printf '| install.exe /S under Wine | %s | |\n| NSIS installer /S under Wine | %s | |\n' "$zov" "$nsis"
printf '\nratio install.exe / NSIS: %s\n' "$(echo "scale=2; $zov / $nsis" | bc)"
printf 'medium: %s bytes in %s segments; NSIS installer: %s bytes\n' \
  "$(cat "$work/medium"/disk.* | wc -c)" "$(ls "$work/medium"/disk.* | wc -l)" "$(stat -c %s "$work/nsis-setup.exe")"
