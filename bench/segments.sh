#!/usr/bin/env bash
# Segment layer cost: expanding a 20 MB payload packed over 15 segments (zovpack
# media-extract) against expanding the same archive file directly (zovpack extract), side
# by side in one run; the segment layer only copies, so the ratio must stay at or below 1.2.
# Peak memory of media-extract at two payload sizes shows it does not grow with the payload.
#   bash bench/segments.sh [WORKDIR]      (default /tmp/zov-bench-segments; REPEAT=5)
# The two run in turn for REPEAT rounds; times are medians of processor time, wall-clock beside.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/zov-bench-segments}
repeat=${REPEAT:-5}
build=${BENCH_BUILD:-$root/build/bench-segments}
source "$root/bench/common.sh"
needs cmake
build_targets zovpack

MB=1000000
# media DIR SEGMENTS: packs DIR's payload into exactly SEGMENTS segments in DIR/media.
media() {
  local dir=$1 segments=$2 size
  "$zovpack" media --cfg "$dir/install.cfg" --from "$dir/files" --out "$dir/probe" --segsize 2000000000 >/dev/null 2>&1
  size=$(stat -c %s "$dir/probe/disk.001")
  rm -rf "$dir/probe"
  # Each segment holds its 8-byte "SSeg" record and (size - 8) / SEGMENTS bytes, rounded up.
  "$zovpack" media --cfg "$dir/install.cfg" --from "$dir/files" --out "$dir/media" \
    --segsize $(( (size - 8 + segments - 1) / segments + 8 )) >/dev/null 2>&1
  local made; made=$(ls "$dir/media" | grep -c '^disk\.')
  [ "$made" -eq "$segments" ] || { echo "made $made segments, wanted $segments" >&2; exit 1; }
}

peak_kb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

echo "making payloads in $work" >&2
payload "$work/p20" $((20 * MB))
payload "$work/p5" $((5 * MB))
media "$work/p20" 15
media "$work/p5" 15
(cd "$work/p20/files" && "$zovpack" create "$work/p20/direct.zov" -m lh5 $(ls) >/dev/null)

alternate "$repeat" "direct=$zovpack extract $work/p20/direct.zov -d $work/p20/out-direct" \
  "media=$zovpack media-extract $work/p20/media -d $work/p20/out-media"
direct=${C[direct]} segmented=${C[media]}
cmp -s <(cat "$work/p20/out-direct"/*.dat) <(cat "$work/p20/out-media"/*.dat) \
  || { echo "the two expansions differ" >&2; exit 1; }
rss_direct=$(peak_kb "$zovpack" extract "$work/p20/direct.zov" -d "$work/p20/out-direct")
rss_media20=$(peak_kb "$zovpack" media-extract "$work/p20/media" -d "$work/p20/out-media")
rss_media5=$(peak_kb "$zovpack" media-extract "$work/p5/media" -d "$work/p5/out-media")

echo
echo "20 MB payload (lh5), archive $(stat -c %s "$work/p20/direct.zov") bytes, 15 segments of $(stat -c %s "$work/p20/media/disk.001") bytes"
printf '%-44s %12s %12s %14s\n' "run" "processor s" "wall-clock s" "peak RSS (KB)"
printf '%-44s %12s %12s %14s\n' "zovpack extract (archive file directly)" "$direct" "${W[direct]}" "$rss_direct"
printf '%-44s %12s %12s %14s\n' "zovpack media-extract (15 segments)" "$segmented" "${W[media]}" "$rss_media20"
printf '%-44s %12s %12s %14s\n' "zovpack media-extract, 5 MB payload" "-" "-" "$rss_media5"
ratio=$(awk -v a="$segmented" -v b="$direct" 'BEGIN { printf "%.3f", a / b }')
verdict=$(awk -v r="$ratio" 'BEGIN { print (r <= 1.2) ? "ok, at most 1.2" : "OVER 1.2" }')
echo "ratio segmented / direct: $ratio ($verdict)"
