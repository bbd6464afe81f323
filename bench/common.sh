# Helpers of the benchmark scripts, sourced by them after setting `root` and `build`.

# needs TOOL...: stops unless every tool is on the PATH, and GNU time is there.
needs() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "needs $tool (bash tools/setup-deps.sh)" >&2; exit 1; }
  done
  [ -x /usr/bin/time ] || { echo "needs GNU time (bash tools/setup-deps.sh)" >&2; exit 1; }
}

# build_targets TARGET...: builds them in $build (host preset); sets `zovpack`, which
# ZOVPACK=path replaces by another build (an earlier one, for a before-and-after).
build_targets() {
  echo "building $* (host preset, $build)" >&2
  cmake --preset host -B "$build" >/dev/null
  cmake --build "$build" --target "$@" -j2 >/dev/null
  zovpack=$build/tools/zovpack/zovpack
  [ -z "${ZOVPACK:-}" ] || zovpack=$(realpath "$ZOVPACK")
}

# payload DIR BYTES: 1 MB files of text and program bytes in DIR/files, half and half, and
# DIR/install.cfg naming them.
payload() {
  local dir=$1 bytes=$2
  rm -rf "$dir" && mkdir -p "$dir/files"
  { find /usr/share/doc /usr/include /usr/share/man -type f 2>/dev/null | sort \
      | xargs cat 2>/dev/null | head -c $((bytes / 2))
    find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +8k 2>/dev/null | sort \
      | xargs cat 2>/dev/null | head -c $((bytes - bytes / 2)); } > "$dir/all" || true
  [ "$(stat -c %s "$dir/all")" -eq "$bytes" ] || { echo "not enough data for $dir" >&2; exit 1; }
  (cd "$dir/files" && split -b 1000000 -d -a 3 ../all part && for f in part*; do mv "$f" "$f.dat"; done)
  rm "$dir/all"
  { printf '[Directories]\nDir1=<INSTALLDIR>~\n[Files]\n'
    local i=1 f
    for f in $(cd "$dir/files" && ls); do printf 'File%d=%s~<INSTALLDIR>\n' $i "$f"; i=$((i + 1)); done
  } > "$dir/install.cfg"
}

#
# alternate RUNS NAME=COMMAND...: runs every COMMAND (through sh -c, output discarded) once
# per round, in turn, for RUNS rounds, so that a busy machine slows all of them alike; then
# C[NAME] is the median processor time (user + system, all threads and children) and W[NAME]
# the median wall-clock time, in seconds.
declare -A C W
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); print (NR % 2 ? v[m] : (v[m] + v[m + 1]) / 2) }'; }
alternate() {
  local runs=$1; shift
  local -A cpu wall
  local run name t0 t1 c
  for _ in $(seq "$runs"); do
    for run in "$@"; do
      name=${run%%=*}
      t0=$(date +%s%N)
      c=$(/usr/bin/time -f 'cpu %U %S' sh -c "${run#*=}" 2>&1 >/dev/null | awk '$1 == "cpu" { printf "%d", ($2 + $3) * 1000 }')
      t1=$(date +%s%N)
      cpu[$name]+="$c "
      wall[$name]+="$(( (t1 - t0) / 1000000 )) "
    done
  done
  for run in "$@"; do
    name=${run%%=*}
    C[$name]=$(echo "${cpu[$name]}" | median | awk '{ printf "%.2f", ($1 < 10 ? 10 : $1) / 1000 }')
    W[$name]=$(echo "${wall[$name]}" | median | awk '{ printf "%.2f", $1 / 1000 }')
  done
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }
