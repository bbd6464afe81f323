#!/usr/bin/env bash
# Building distribution media against building an installer of the same files: `zovpack
# media` (lh5, its workers on every core) and makensis with zlib, on a payload of about
# 54 MB in 1 MB files of text and program bytes. They run in turn for REPEAT rounds;
# medians of processor time (all threads) and wall-clock time, and the output sizes.
#   bash bench/media.sh [WORKDIR]      (default /tmp/zov-bench-media; REPEAT=5)
# ZOVPACK=path times another zovpack (an earlier build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${1:-/tmp/zov-bench-media}")
repeat=${REPEAT:-5}
build=${BENCH_BUILD:-$root/build/bench}
source "$root/bench/common.sh"
needs makensis cmake
build_targets zovpack

MB=1000000
bytes=$((54 * MB))
files=$work/files
[ "$(cat "$files"/*.dat 2>/dev/null | wc -c)" -eq "$bytes" ] || payload "$work" "$bytes"
{ echo 'SetCompressor zlib'; echo "OutFile \"$work/nsis-setup.exe\""
  echo 'InstallDir "$PROGRAMFILES\Bench"'; echo 'Section'; echo 'SetOutPath $INSTDIR'
  echo "File \"$files/*.dat\""; echo 'SectionEnd'; } > "$work/bench.nsi"

alternate "$repeat" \
  "zov=$zovpack media --cfg $work/install.cfg --from $files --out $work/media --segsize 2000000000" \
  "nsis=makensis -V1 $work/bench.nsi"
"$zovpack" media-test "$work/media" >/dev/null || { echo "the medium does not test good" >&2; exit 1; }

zsize=$(cat "$work/media"/disk.* | wc -c); nsize=$(stat -c %s "$work/nsis-setup.exe")
printf '\n%s MB in %d files; medians of %d alternated runs\n' "$((bytes / MB))" "$(ls "$files" | wc -l)" "$repeat"
printf '%-26s %14s %14s %14s\n' build "processor s" "wall-clock s" "output bytes"
printf '%-26s %14s %14s %14s\n' "zovpack media (lh5)" "${C[zov]}" "${W[zov]}" "$zsize"
printf '%-26s %14s %14s %14s\n' "makensis (zlib)" "${C[nsis]}" "${W[nsis]}" "$nsize"
printf 'zovpack / makensis: processor %s, wall-clock %s, output %s\n' "$(ratio "${C[zov]}" "${C[nsis]}")" \
  "$(ratio "${W[zov]}" "${W[nsis]}")" "$(ratio "$zsize" "$nsize")"
