#!/usr/bin/env bash
# LH5 encoder speed and ratio, side by side in one run with gzip -6 and jlha -lh5- on a
# corpus of at least 50 MB (text, this machine's executables and libraries, already
# compressed data, long zero runs); output sizes beside jlha and gzip -9; the LZH and RLE
# methods beside LH5; peak memory of each encoder at two input sizes.
#   bash bench/lh5_encode.sh [WORKDIR]      (default /tmp/zov-bench-encode; REPEAT=5)
# LH5, gzip -6 and jlha run in turn, REPEAT rounds; times are medians; ratios are of
# processor time, wall-clock beside. ZOVPACK=path times another zovpack (an earlier build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${1:-/tmp/zov-bench-encode}")
repeat=${REPEAT:-5}
build=${BENCH_BUILD:-$root/build/bench}
corpus=$work/corpus
out=$work/out
mkdir -p "$corpus" "$out"


source "$root/bench/common.sh"
needs gzip jlha lhasa cmake
build_targets zovpack lha_wrap
lha_member() { "$build/bench/lha_wrap" "$@"; }

# --- corpus ---------------------------------------------------------------------------
# fill NAME BYTES: the files named on stdin, in sorted order, concatenated up to BYTES.
fill() {
  local name=$1 bytes=$2
  if [ -f "$corpus/$name" ] && [ "$(stat -c %s "$corpus/$name")" -eq "$bytes" ]; then
    cat >/dev/null  # already made: let the producer finish
    return
  fi
  { sort | while read -r f; do cat "$f" 2>/dev/null || true; done | head -c "$bytes" > "$corpus/$name"; } || true
  [ "$(stat -c %s "$corpus/$name")" -eq "$bytes" ] || { echo "not enough data for $name" >&2; exit 1; }
}
MB=1000000
find /usr/share/doc /usr/share/common-licenses /usr/include /usr/share/perl5 /usr/share/man \
     -type f \( -name '*.h' -o -name '*.txt' -o -name 'copyright' -o -name '*.pm' -o -name '*.html' \
     -o -name 'README*' -o -name '*.[1-8]' \) 2>/dev/null | fill text $((18 * MB))
find /usr/bin /usr/sbin /usr/lib/x86_64-linux-gnu /usr/lib/i386-linux-gnu -maxdepth 1 -type f \
     -size +8k 2>/dev/null | fill binaries $((16 * MB))
find /usr/share /usr/lib -type f \( -name '*.gz' -o -name '*.png' -o -name '*.jar' -o -name '*.xz' \
     -o -name '*.bz2' -o -name '*.zip' -o -name '*.jpg' \) 2>/dev/null | fill compressed $((10 * MB))
if [ ! -f "$corpus/zero-runs" ] || [ "$(stat -c %s "$corpus/zero-runs")" -ne $((10 * MB)) ]; then
  # Runs of 50..350 KB of zeros between 4 KB pieces of the binaries, like a sparse disk image.
  { for i in $(seq 0 59); do
      head -c $(( (i * 7919 % 300 + 50) * 1024 )) /dev/zero
      tail -c +$(( i * 200000 + 1 )) "$corpus/binaries" | head -c 4096
    done | head -c $((10 * MB)) > "$corpus/zero-runs"; } || true
fi
parts=(text binaries compressed zero-runs)
cat "${parts[@]/#/$corpus/}" > "$corpus/all"

# --- timing ---------------------------------------------------------------------------
size() { stat -c %s "$1"; }
pct() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f%%", 100 * a / b }'; }
mbs() { awk -v n="$1" -v t="$2" 'BEGIN { printf "%.1f", n / 1e6 / t }'; }

declare -A S
for p in "${parts[@]}" all; do
  f=$corpus/$p
  echo "timing $p" >&2
  alternate "$repeat" "$p,lh5=$zovpack encode -m lh5 $f $out/$p.lh5" \
    "$p,gzip6=gzip -6 -c $f > $out/$p.gz6" \
    "$p,jlha=rm -f $out/$p.jlha.lzh; cd $corpus && jlha co5q $out/$p.jlha.lzh $p"
  alternate 1 "$p,lzh=$zovpack encode -m lzh $f $out/$p.lzh" "$p,rle=$zovpack encode -m rle $f $out/$p.rle"
  gzip -9 -c "$f" > "$out/$p.gz9"
  for k in lh5 lzh rle gz6 gz9 jlha.lzh; do S[$p,${k%.lzh}]=$(size "$out/$p.$k"); done
  S[$p,gzip6]=${S[$p,gz6]}; S[$p,gzip9]=${S[$p,gz9]}
  # Our LH5 stream must be one that lhasa and jlha read: as the member of an archive.
  (cd "$corpus" && lha_member "$p" "$out/$p.lh5" "$out/$p.ours.lzh")
  lhasa pq "$out/$p.ours.lzh" | cmp -s - "$f" || { echo "lhasa reads our $p wrongly" >&2; exit 1; }
  rm -rf "$out/jx" && mkdir -p "$out/jx" && (cd "$out/jx" && jlha xq "$out/$p.ours.lzh" >/dev/null)
  cmp -s "$out/jx/$p" "$f" || { echo "jlha reads our $p wrongly" >&2; exit 1; }
  rm -rf "$out/jx"
  # Our streams must expand back to the input.
  for m in lh5 lzh rle; do
    "$zovpack" decode -m "$m" --size "$(size "$f")" "$out/$p.$m" "$out/$p.back" >/dev/null
    cmp -s "$f" "$out/$p.back" || { echo "$m stream of $p does not expand back" >&2; exit 1; }
  done
  rm -f "$out/$p.back"
done

# --- tables -----------------------------------------------------------------------------
total=$(size "$corpus/all")
printf '\nCorpus: %s, %.1f MB in %d parts; every time is the median of %d alternated runs\n' "$corpus" \
  "$(awk -v n="$total" 'BEGIN { print n / 1e6 }')" "${#parts[@]}" "$repeat"

printf '\nLH5 encoding time against peers: processor seconds (wall-clock seconds)\n'
printf '%-11s %6s %14s %14s %14s %11s %9s %9s\n' part MB "zovpack lh5" "gzip -6" "jlha -lh5-" \
  "lh5/gzip-6" "(wall)" "lh5/jlha"
for p in "${parts[@]}" all; do
  printf '%-11s %6.1f %14s %14s %14s %11s %9s %9s\n' "$p" "$(awk -v n="$(size "$corpus/$p")" 'BEGIN { print n / 1e6 }')" \
    "${C[$p,lh5]} (${W[$p,lh5]})" "${C[$p,gzip6]} (${W[$p,gzip6]})" "${C[$p,jlha]} (${W[$p,jlha]})" \
    "$(ratio "${C[$p,lh5]}" "${C[$p,gzip6]}")" "($(ratio "${W[$p,lh5]}" "${W[$p,gzip6]}"))" \
    "$(ratio "${C[$p,lh5]}" "${C[$p,jlha]}")"
done

printf '\nOutput sizes, %% of the input (jlha: whole one-member archive)\n'
printf '%-11s %10s %12s %9s %9s\n' part lh5 "jlha -lh5-" "gzip -9" "gzip -6"
for p in "${parts[@]}" all; do
  n=$(size "$corpus/$p")
  printf '%-11s %10s %12s %9s %9s\n' "$p" "$(pct "${S[$p,lh5]}" "$n")" "$(pct "${S[$p,jlha]}" "$n")" \
    "$(pct "${S[$p,gzip9]}" "$n")" "$(pct "${S[$p,gzip6]}" "$n")"
done

printf '\nThe three methods: encoding throughput (MB per processor second) and output size (%% of the input)\n'
printf '%-11s %9s %8s %9s %8s %9s %8s\n' part "lh5 MB/s" "lh5 %" "lzh MB/s" "lzh %" "rle MB/s" "rle %"
for p in "${parts[@]}" all; do
  n=$(size "$corpus/$p")
  printf '%-11s %9s %8s %9s %8s %9s %8s\n' "$p" \
    "$(mbs "$n" "${C[$p,lh5]}")" "$(pct "${S[$p,lh5]}" "$n")" \
    "$(mbs "$n" "${C[$p,lzh]}")" "$(pct "${S[$p,lzh]}" "$n")" \
    "$(mbs "$n" "${C[$p,rle]}")" "$(pct "${S[$p,rle]}" "$n")"
done

head -c $((1 * MB)) "$corpus/all" > "$out/1mb"
printf '\nPeak RSS of zovpack encode (KB)\n'
printf '%-8s %12s %12s\n' method "1 MB input" "$(awk -v n="$total" 'BEGIN { printf "%.0f MB input", n / 1e6 }')"
for m in lh5 lzh rle; do
  small=$(/usr/bin/time -f %M "$zovpack" encode -m "$m" "$out/1mb" "$out/1mb.$m" 2>&1 >/dev/null | tail -1)
  large=$(/usr/bin/time -f %M "$zovpack" encode -m "$m" "$corpus/all" "$out/all.rss" 2>&1 >/dev/null | tail -1)
  printf '%-8s %12s %12s\n' "$m" "$small" "$large"
done
