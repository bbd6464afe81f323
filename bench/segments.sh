#!/usr/bin/env bash
# The segment layer's cost on a product of many real files (products.py "many": 1,660 files,
# about 50 MB): zovpack media-extract of the product packed over 15 segments against zovpack
# extract of the same files packed as one archive file. A warm-up round, then REPEAT rounds
# in which the two alternate; processor and wall time in milliseconds (from wait4 and a
# monotonic clock), minimum / median / maximum, and the ratio round by round with its spread.
# Peak memory of media-extract at the product's full size and at a fifth of it shows that it
# does not grow with the payload.
#   bash bench/segments.sh [WORKDIR]      (default /tmp/zov-bench-segments; REPEAT=11)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/zov-bench-segments}
repeat=${REPEAT:-11}
build=${BENCH_BUILD:-$root/build/bench-segments}
measure=$root/bench/measure.py
source "$root/bench/common.sh"
needs cmake python3
build_targets zovpack

# media DIR SEGMENTS: packs DIR/files (all of them) into exactly SEGMENTS segments in DIR/media.
media() {
  local dir=$1 segments=$2 size made
  (cd "$dir/files" && printf '[Directories]\nDir1=<INSTALLDIR>~\n[Files]\n' &&
    ls | awk '{ printf "File%d=%s~<INSTALLDIR>\n", NR, $0 }') >"$dir/install.cfg"
  "$zovpack" media --cfg "$dir/install.cfg" --from "$dir/files" --out "$dir/probe" --segsize 2000000000 >/dev/null 2>&1
  size=$(stat -c %s "$dir/probe/disk.001")
  rm -rf "$dir/probe"
  # Each segment holds its 8-byte "SSeg" record and (size - 8) / SEGMENTS bytes, rounded up.
  "$zovpack" media --cfg "$dir/install.cfg" --from "$dir/files" --out "$dir/media" \
    --segsize $(( (size - 8 + segments - 1) / segments + 8 )) >/dev/null 2>&1
  made=$(ls "$dir/media" | grep -c '^disk\.')
  [ "$made" -eq "$segments" ] || { echo "made $made segments, wanted $segments" >&2; exit 1; }
}

echo "making the product in $work" >&2
rm -rf "$work" && mkdir -p "$work"
python3 "$root/bench/products.py" many "$work/full"
mkdir -p "$work/fifth/files"
ls "$work/full/files" | awk 'NR % 5 == 0' | while read -r f; do ln "$work/full/files/$f" "$work/fifth/files/"; done
media "$work/full" 15
media "$work/fifth" 15
(cd "$work/full/files" && ls | xargs "$zovpack" create "$work/full/direct.zov" -m lh5 >/dev/null)

extract() { rm -rf "$work/out-direct" && python3 "$measure" run "$1" -- "$zovpack" extract "$work/full/direct.zov" -d "$work/out-direct"; }
media_extract() { rm -rf "$work/out-media" && python3 "$measure" run "$1" -- "$zovpack" media-extract "$work/full/media" -d "$work/out-media"; }
extract "$work/warmup.times"; media_extract "$work/warmup.times"
for round in $(seq "$repeat"); do
  if [ $((round % 2)) -eq 1 ]; then extract "$work/direct.times"; media_extract "$work/media.times"
  else media_extract "$work/media.times"; extract "$work/direct.times"; fi
done
diff -r -x install.cfg "$work/out-direct" "$work/out-media" >/dev/null || { echo "the two expansions differ" >&2; exit 1; }
diff -r -x install.cfg "$work/full/files" "$work/out-media" >/dev/null || { echo "media-extract did not give the product back" >&2; exit 1; }
rm -rf "$work/out-fifth"
python3 "$measure" run "$work/fifth.times" -- "$zovpack" media-extract "$work/fifth/media" -d "$work/out-fifth"

ms() { python3 "$measure" spread "$1" "$2" | awk '{ printf "%.0f / %.0f / %.0f", $1 * 1000, $2 * 1000, $3 * 1000 }'; }
echo
echo "$(ls "$work/full/files" | wc -l) files, $(du -sb --apparent-size "$work/full/files" | cut -f1) bytes (lh5);" \
  "archive $(stat -c %s "$work/full/direct.zov") bytes; 15 segments of $(stat -c %s "$work/full/media/disk.001") bytes; $repeat rounds"
printf '| run | processor ms (min / median / max) | wall ms (min / median / max) | peak KB |\n|---|---|---|---|\n'
printf '| zovpack extract (one archive file) | %s | %s | %s |\n' "$(ms "$work/direct.times" 1)" "$(ms "$work/direct.times" 2)" \
  "$(cut -d' ' -f3 "$work/direct.times" | sort -n | tail -1)"
printf '| zovpack media-extract (15 segments) | %s | %s | %s |\n' "$(ms "$work/media.times" 1)" "$(ms "$work/media.times" 2)" \
  "$(cut -d' ' -f3 "$work/media.times" | sort -n | tail -1)"
printf '| zovpack media-extract, a fifth of the files | | | %s |\n' "$(cut -d' ' -f3 "$work/fifth.times")"
printf '| ratio media-extract / extract, round by round | %s | %s | |\n' \
  "$(python3 "$measure" ratios "$work/media.times" "$work/direct.times" 1 | sed 's/ / \/ /g')" \
  "$(python3 "$measure" ratios "$work/media.times" "$work/direct.times" 2 | sed 's/ / \/ /g')"
