#!/usr/bin/env bash
# Installing real products under Wine: install.exe /S against an NSIS installer (makensis,
# zlib) doing the same work, and the Linux install on the emulated machine beside.
#  - The products (products.py): "many", 1,660 files of this machine kept whole (about
#    50 MB: 40% text, 40% programs and libraries, 20% compressed files), "large", 60 files
#    of about 1 MB, and "files10k", 10,000 files of the same kind as "many".
#  - The same work (same_work.sh): the files into the same folders, the example's links,
#    INI and registry values, autoexec.bat lines and registration; checked once a product
#    by comparing the two end states file by file and value by value.
#  - Each round is a first install on a machine reset as it was made (wine_lib.sh); one
#    warm-up round, then ROUNDS rounds (REPEAT, or REPEAT_10K for files10k) in which the two
#    alternate, each first every other round.
#  - Processor time of the whole Wine process tree (a cgroup: the Wine server and Wine's
#    services included) and wall time until every program of the run has ended, each as
#    minimum / median / maximum, and the ratio to NSIS round by round, with its spread.
#  - Bytes written to files, write calls, files opened and flushes (fsync, fdatasync) of one
#    traced run of each (strace over the programs and the Wine server); the run fails if
#    anything was written outside the benchmark's folder.
#  - The Linux install on a fresh emulated machine: processor and wall time, peak memory;
#    the growth from "many" to "files10k".
#   bash bench/install.sh [WORKDIR]   (default /tmp/zov-bench-install; PRODUCTS="many large
#   files10k", REPEAT=11, REPEAT_10K=3, WM=openbox or none; needs the host and win32 builds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-/tmp/zov-bench-install}" && cd "${1:-/tmp/zov-bench-install}" && pwd)
products=${PRODUCTS:-many large files10k}
for tool in makensis strace lnkinfo Xvfb python3; do
  command -v "$tool" >/dev/null || { echo "needs $tool (bash tools/setup-deps.sh)" >&2; exit 1; }
done
[ "${WM:-openbox}" = none ] || command -v openbox >/dev/null || { echo "needs openbox, or WM=none" >&2; exit 1; }
[ -x "$root/build/host/install/install" ] && [ -f "$root/build/win32/install/install.exe" ] ||
  { echo "build the host and win32 presets first" >&2; exit 1; }
source "$root/bench/wine_lib.sh"
source "$root/bench/same_work.sh"
product_dir="C:\\Program Files\\Tidewater"

wine_start
fresh_registry
report=$work/report.md
: >"$report"

ours() { timed "$1" "$p/medium" wine install.exe /S /TYPE=full /FOLDERS=desktop; }
nsis() { timed "$1" "$p" wine nsis-setup.exe /S; }
installed() { [ -f "$c/Program Files/Tidewater/notes.exe" ] || { echo "$1 did not install" >&2; exit 1; }; }

for product in $products; do
  p=$work/$product
  echo "== $product: making the product, the medium and the NSIS installer" >&2
  product_and_peer "$p" "$product"
  wine_reset
  traced nsis "$p" wine nsis-setup.exe /S >"$p/nsis.io"
  installed "the NSIS installer"
  end_state "$p/nsis.state"
  # The two end states differ in the uninstallers' own files only.
  exceptions='^\./Program Files/Tidewater/(uninstall\.cfg|uninst\.exe) |\\"(Quiet)?UninstallString" = '
  if ! diff <(grep -Ev "$exceptions" "$p/ours.state") <(grep -Ev "$exceptions" "$p/nsis.state") >"$p/states.diff"; then
    echo "install.exe and the NSIS installer left different machines ($p/states.diff):" >&2
    head -20 "$p/states.diff" >&2
    exit 1
  fi
  if grep -h '^outside ' "$p/ours.io" "$p/nsis.io"; then echo "written outside $work" >&2; exit 1; fi

  rounds=$([ "$product" = files10k ] && echo "${REPEAT_10K:-3}" || echo "${REPEAT:-11}")
  echo "== $product under Wine: a warm-up round, then $rounds rounds" >&2
  rm -f "$p"/*.times
  for round in $(seq 0 "$rounds"); do
    a=ours b=nsis
    [ $((round % 2)) -eq 0 ] || { a=nsis b=ours; }
    out=$p/$([ "$round" -eq 0 ] && echo warmup- || true)
    wine_reset; "$a" "${out}$a.times"; installed "$a"
    wine_reset; "$b" "${out}$b.times"; installed "$b"
  done

  echo "== $product on the emulated machine (Linux install)" >&2
  for _ in $(seq "${REPEAT_PREVIEW:-3}"); do
    rm -rf "$p/machine" && mkdir -p "$p/machine/a" && cp "$p"/medium/* "$p/machine/a/"
    python3 "$measure" run "$p/preview.times" -- "$root/build/host/install/install" --machine "$p/machine" \
      --cwd 'A:\' /S /TYPE=full /FOLDERS=desktop
  done
  rm -rf "$p/machine"

  read -r ob ow oo of _ <"$p/ours.io"
  read -r nb nw no nf _ <"$p/nsis.io"
  {
    printf '\n### %s: %s files, %s bytes; medium %s bytes, NSIS installer %s bytes\n\n' "$product" \
      "$(wc -l <"$p/layout.tsv")" "$(du -sb --apparent-size "$p/files" | cut -f1)" \
      "$(cat "$p"/medium/disk.* | wc -c)" "$(stat -c %s "$p/nsis-setup.exe")"
    printf '| run (%s rounds) | processor s (min / median / max) | wall s (min / median / max) |\n|---|---|---|\n' "$rounds"
    print_spread "$product" "$p/ours.times" "$p/nsis.times"
    printf '| ratio install.exe / NSIS, round by round | %s | %s |\n' \
      "$(python3 "$measure" ratios "$p/ours.times" "$p/nsis.times" 1 | sed 's/ / \/ /g')" \
      "$(python3 "$measure" ratios "$p/ours.times" "$p/nsis.times" 2 | sed 's/ / \/ /g')"
    printf '| Linux install, emulated machine | %s | %s |\n' \
      "$(python3 "$measure" spread "$p/preview.times" 1 | sed 's/ / \/ /g')" \
      "$(python3 "$measure" spread "$p/preview.times" 2 | sed 's/ / \/ /g')"
    printf '\n| traced run | bytes written | write calls | files opened | flushes |\n|---|---|---|---|---|\n'
    printf '| install.exe | %s | %s | %s | %s |\n| NSIS | %s | %s | %s | %s |\n' "$ob" "$ow" "$oo" "$of" "$nb" "$nw" "$no" "$nf"
    printf '\nLinux install peak memory: %s KB (largest of its runs)\n' "$(cut -d' ' -f3 "$p/preview.times" | sort -n | tail -1)"
  } | tee -a "$report"
done

if [ -f "$work/many/ours.times" ] && [ -f "$work/files10k/ours.times" ]; then
  growth() { awk -v a="$(python3 "$measure" spread "$1" "$3" | cut -d' ' -f2)" \
    -v b="$(python3 "$measure" spread "$2" "$3" | cut -d' ' -f2)" 'BEGIN { printf "%.2f", a / b }'; }
  {
    printf '\n### growth, files10k against many (medians)\n\n'
    printf '| | processor | wall |\n|---|---|---|\n'
    for side in ours nsis preview; do
      printf '| %s | %sx | %sx |\n' "$side" "$(growth "$work/files10k/$side.times" "$work/many/$side.times" 1)" \
        "$(growth "$work/files10k/$side.times" "$work/many/$side.times" 2)"
    done
  } | tee -a "$report"
fi
echo "report: $report" >&2
