#!/usr/bin/env bash
# LH5 decoding speed against lhasa, side by side in one hyperfine run per input: the raw
# -lh5- stream of a jlha archive through `zovpack decode -m lh5`, and the same archive
# through `lhasa -p` (to /dev/null) and `lhasa -x` (to a file). Inputs: text, this
# machine's executables and libraries, already compressed data (interleaved with a little
# text so that jlha still codes it as -lh5-), long zero runs, and all of them together
# (at least 50 MB). Then the peak memory of decoding a 100 MB stream.
#   bash bench/lh5_decode.sh [WORKDIR]      (default /tmp/zov-bench-decode; RUNS=5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/zov-bench-decode}
runs=${RUNS:-5}
build=$root/build/bench
data=$work/data
mkdir -p "$data" "$work/out"

for tool in jlha lhasa hyperfine cmake; do
  command -v "$tool" >/dev/null || { echo "needs $tool (bash tools/setup-deps.sh)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "needs GNU time (bash tools/setup-deps.sh)" >&2; exit 1; }

echo "building zovpack and lha_raw (host preset, $build)" >&2
cmake --preset host -B "$build" >/dev/null
cmake --build "$build" --target zovpack lha_raw -j2 >/dev/null
zovpack=$build/tools/zovpack/zovpack
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

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mean() { awk -F, -v n="$2" '$1 == n { printf "%.3f", $2 }' "$1"; }

printf '\n%-11s %8s %8s %10s %10s %10s %8s %8s\n' input MB "lh5 %" zovpack "lhasa -p" "lhasa -x" \
  "vs -p" "vs -x"
for p in "${parts[@]}" all; do
  pack "$p"
  "$zovpack" decode -m lh5 --size "$size" "$work/$p.lh5" "$work/out/$p" >/dev/null
  cmp -s "$work/out/$p" "$data/$p" || { echo "zovpack decoded $p wrongly" >&2; exit 1; }
  hyperfine -N --style none --warmup 1 --runs "$runs" --export-csv "$work/$p.csv" \
    -n zovpack "$zovpack decode -m lh5 --size $size $work/$p.lh5 $work/out/$p" \
    -n lhasa-p "lhasa pq $work/$p.lzh" \
    -n lhasa-x "lhasa xqfw=$work/out/lhasa $work/$p.lzh" >/dev/null
  z=$(mean "$work/$p.csv" zovpack); lp=$(mean "$work/$p.csv" lhasa-p); lx=$(mean "$work/$p.csv" lhasa-x)
  printf '%-11s %8.1f %8.1f %10s %10s %10s %8s %8s\n' "$p" "$(ratio "$size" $MB)" \
    "$(awk -v a="$(stat -c %s "$work/$p.lh5")" -v b="$size" 'BEGIN { print 100 * a / b }')" \
    "${z}s" "${lp}s" "${lx}s" "$(ratio "$z" "$lp")" "$(ratio "$z" "$lx")"
done
echo "(mean wall time of $runs runs; vs = zovpack time / lhasa time, 1.00 or less is as fast or faster)"

pack all-twice
rss() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }'; }
zr=$(rss "$zovpack" decode -m lh5 --size "$size" "$work/all-twice.lh5" "$work/out/all-twice")
lr=$(rss lhasa pq "$work/all-twice.lzh")
printf '\npeak RSS decoding %.1f MB: zovpack %s KB, lhasa -p %s KB (limit 8192 KB)\n' \
  "$(ratio "$size" $MB)" "$zr" "$lr"
[ "$zr" -lt 8192 ] || { echo "zovpack's peak RSS is over 8 MB" >&2; exit 1; }
