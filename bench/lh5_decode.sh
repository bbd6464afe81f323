#!/usr/bin/env bash
# LH5 decoding speed against lhasa, side by side: the raw -lh5- stream of a jlha archive
# through `zovpack decode -m lh5` (to a file), and the same archive through `lhasa -p` (to
# /dev/null) and `lhasa -x` (to a file), in turn for RUNS rounds; medians of processor time,
# wall-clock beside. Inputs: text, this
# machine's executables and libraries, already compressed data (interleaved with a little
# text so that jlha still codes it as -lh5-), long zero runs, and all of them together
# (at least 50 MB). Then the peak memory of decoding a 100 MB stream.
#   bash bench/lh5_decode.sh [WORKDIR]      (default /tmp/zov-bench-decode; RUNS=5)
# ZOVPACK=path times another zovpack (an earlier build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/zov-bench-decode}
runs=${RUNS:-5}
build=${BENCH_BUILD:-$root/build/bench}
data=$work/data
mkdir -p "$data" "$work/out"

source "$root/bench/common.sh"
needs jlha lhasa cmake
build_targets zovpack lha_raw
lha_raw=$build/bench/lha_raw

MB=1000000
# take BYTES FILE...: the files' bytes one after another, cut at BYTES.
take() {
  local bytes=$1; shift
  for f in "$@"; do cat "$f" 2>/dev/null || true; done | head -c "$bytes" || true
}
# piece FILE OFFSET BYTES: that part of the file.
piece() { dd if="$1" bs=64K skip="$2" count="$3" iflag=skip_bytes,count_bytes status=none; }
# made NAME BYTES: $data/NAME is already there with that size.
made() { [ -f "$data/$1" ] && [ "$(stat -c %s "$data/$1")" -eq "$2" ]; }

if ! made text $((14 * MB)); then
  mapfile -t files < <(find /usr/include /usr/share/doc /usr/share/common-licenses /usr/share/perl5 \
    -type f \( -name '*.h' -o -name '*.pm' -o -name '*.txt' -o -name 'copyright' \) 2>/dev/null | sort)
  take $((14 * MB)) "${files[@]}" > "$data/text"
fi
if ! made binaries $((14 * MB)); then
  mapfile -t files < <(find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +16k \
    2>/dev/null | sort)
  take $((14 * MB)) "${files[@]}" > "$data/binaries"
fi
if ! made compressed $((12 * MB)); then
  mapfile -t files < <(find /usr/share /usr/lib -type f \( -name '*.gz' -o -name '*.xz' -o \
    -name '*.png' -o -name '*.jar' -o -name '*.bz2' \) 2>/dev/null | sort)
  take $((12 * MB)) "${files[@]}" > "$work/packed"
  # 30 KB of packed data, then 3 KB of text, over and over.
  for ((i = 0; i * 30000 < 12 * MB; i++)); do
    piece "$work/packed" $((i * 30000)) 30000
    piece "$data/text" $((i * 3000)) 3000
  done > "$data/compressed"
  truncate -s $((12 * MB)) "$data/compressed"
  rm -f "$work/packed"
fi
if ! made zero-runs $((12 * MB)); then
  # Zero runs of 20..400 KB between 2 KB pieces of the binaries, like a sparse disk image.
  for ((i = 0; i < 100; i++)); do
    head -c $(((i * 7877 % 380 + 20) * 1024)) /dev/zero
    piece "$data/binaries" $((i * 100000)) 2048
  done > "$data/zero-runs"
  truncate -s $((12 * MB)) "$data/zero-runs"
fi
parts=(text binaries compressed zero-runs)
made all $((52 * MB)) || cat "${parts[@]/#/$data/}" > "$data/all"
made all-twice $((104 * MB)) || cat "$data/all" "$data/all" > "$data/all-twice"

# pack NAME: the jlha archive $work/NAME.lzh and its raw stream $work/NAME.lh5; sets `size`.
pack() {
  local name=$1 crc
  if [ ! -f "$work/$name.lzh" ]; then
    echo "jlha -lh5- $name" >&2
    (cd "$data" && jlha co5q "$work/$name.lzh" "$name")
  fi
  read -r size crc < <("$lha_raw" "$work/$name.lzh" "$work/$name.lh5")
}

mb() { awk -v a="$1" 'BEGIN { printf "%.1f", a / 1e6 }'; }

printf '\nprocessor seconds (wall-clock seconds), medians of %d alternated runs\n' "$runs"
printf '%-11s %6s %6s %12s %12s %12s %8s %8s %9s\n' input MB "lh5 %" zovpack "lhasa -p" "lhasa -x" \
  "vs -p" "vs -x" "(wall -p)"
for p in "${parts[@]}" all; do
  pack "$p"
  "$zovpack" decode -m lh5 --size "$size" "$work/$p.lh5" "$work/out/$p" >/dev/null
  cmp -s "$work/out/$p" "$data/$p" || { echo "zovpack decoded $p wrongly" >&2; exit 1; }
  alternate "$runs" "z=$zovpack decode -m lh5 --size $size $work/$p.lh5 $work/out/$p" \
    "lp=lhasa pq $work/$p.lzh" "lx=lhasa xqfw=$work/out/lhasa $work/$p.lzh"
  printf '%-11s %6s %6.1f %12s %12s %12s %8s %8s %9s\n' "$p" "$(mb "$size")" \
    "$(awk -v a="$(stat -c %s "$work/$p.lh5")" -v b="$size" 'BEGIN { print 100 * a / b }')" \
    "${C[z]} (${W[z]})" "${C[lp]} (${W[lp]})" "${C[lx]} (${W[lx]})" \
    "$(ratio "${C[z]}" "${C[lp]}")" "$(ratio "${C[z]}" "${C[lx]}")" "($(ratio "${W[z]}" "${W[lp]}"))"
done
echo "(vs = zovpack's processor time / lhasa's; 1.00x or less is as fast or faster)"

pack all-twice
rss() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }'; }
zr=$(rss "$zovpack" decode -m lh5 --size "$size" "$work/all-twice.lh5" "$work/out/all-twice")
lr=$(rss lhasa pq "$work/all-twice.lzh")
printf '\npeak RSS decoding %s MB: zovpack %s KB, lhasa -p %s KB (limit 8192 KB)\n' \
  "$(mb "$size")" "$zr" "$lr"
[ "$zr" -lt 8192 ] || { echo "zovpack's peak RSS is over 8 MB" >&2; exit 1; }
