#!/usr/bin/env bash
# Uninstalling real products under Wine: uninstaller.exe /S against the NSIS uninstaller of
# the same product (same_work.sh), each removing what a real install of its own made, with
# a window manager and without one.
#  - The products of install.sh (products.py): "many" (1,660 files), "large" (60 of about
#    1 MB), "files10k" (10,000 files).
#  - Each round: the machine reset as it was made, install.exe /S (not timed), then
#    uninstaller.exe /S timed; the machine reset, the NSIS installer, then its uninstaller
#    timed. The two alternate, each first every other round, after a warm-up round.
#  - Processor time of the whole Wine process tree (the cgroup of wine_lib.sh) and wall time
#    until every program of the removal has ended: both uninstallers finish from a copy of
#    themselves in the temporary folder. Minimum / median / maximum and the ratio round by
#    round with its spread.
#  - Once a product: both must leave the machine as it was before the install (end states
#    compared file by file and value by value).
#   bash bench/uninstall.sh [WORKDIR]   (default /tmp/zov-bench-uninstall; PRODUCTS="many large
#   files10k", REPEAT=11, REPEAT_10K=3; WMS="openbox none": the window managers to run under)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-/tmp/zov-bench-uninstall}" && cd "${1:-/tmp/zov-bench-uninstall}" && pwd)
if [ -z "${WM:-}" ]; then
  for wm in ${WMS:-openbox none}; do WM=$wm bash "$0" "$work/wm-$wm"; done
  exit 0
fi
products=${PRODUCTS:-many large files10k}
for tool in makensis strace lnkinfo Xvfb python3; do
  command -v "$tool" >/dev/null || { echo "needs $tool (bash tools/setup-deps.sh)" >&2; exit 1; }
done
[ -x "$root/build/host/install/install" ] && [ -f "$root/build/win32/uninstall/uninstaller.exe" ] ||
  { echo "build the host and win32 presets first" >&2; exit 1; }
source "$root/bench/wine_lib.sh"
source "$root/bench/same_work.sh"
echo "== window manager: $WM" >&2
wine_start
fresh_registry

install_ours() { (cd "$p/medium" && wine install.exe /S /TYPE=full /FOLDERS=desktop >/dev/null 2>&1); }
install_nsis() { (cd "$p" && wine nsis-setup.exe /S >/dev/null 2>&1); python3 "$measure" tree "$cgroup" /dev/null -- true; }
installed() { [ -f "$c/Program Files/Tidewater/notes.exe" ] || { echo "$1 did not install" >&2; exit 1; }; }
gone() { [ ! -e "$c/Program Files/Tidewater" ] || { echo "$1 left the install folder" >&2; exit 1; }; }
ours() { wine_reset; install_ours; installed install.exe; timed "$1" "$c" wine "$product_dir\\uninstaller.exe" /S "$title"; gone uninstaller.exe; }
nsis() { wine_reset; install_nsis; installed NSIS; timed "$1" "$c" wine "$product_dir\\uninst.exe" /S; gone "the NSIS uninstaller"; }
product_dir="C:\\Program Files\\Tidewater"

for product in $products; do
  p=$work/$product
  echo "== $product: the product, the medium, the NSIS installer" >&2
  product_and_peer "$p" "$product"
  # Both uninstalls leave the machine as the reset made it.
  ours "$p/warmup-ours.times"
  end_state "$p/ours-removed.state"
  nsis "$p/warmup-nsis.times"
  end_state "$p/nsis-removed.state"
  if ! diff "$p/ours-removed.state" "$p/nsis-removed.state" >"$p/states.diff"; then
    echo "uninstaller.exe and the NSIS uninstaller left different machines ($p/states.diff):" >&2
    head -20 "$p/states.diff" >&2
    exit 1
  fi
  rounds=$([ "$product" = files10k ] && echo "${REPEAT_10K:-3}" || echo "${REPEAT:-11}")
  echo "== $product: $rounds rounds" >&2
  rm -f "$p/ours.times" "$p/nsis.times"
  for round in $(seq "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then ours "$p/ours.times"; nsis "$p/nsis.times"
    else nsis "$p/nsis.times"; ours "$p/ours.times"; fi
  done
  {
    printf '\n### uninstall, %s, window manager: %s; %s files; uninstaller.exe %s bytes, NSIS uninst.exe in its installer\n\n' \
      "$product" "$WM" "$(wc -l <"$p/layout.tsv")" "$(stat -c %s "$root/build/win32/uninstall/uninstaller.exe")"
    printf '| run (%s rounds) | processor s (min / median / max) | wall s (min / median / max) |\n|---|---|---|\n' "$rounds"
    print_spread "$product" "$p/ours.times" "$p/nsis.times"
    printf '| ratio uninstaller.exe / NSIS, round by round | %s | %s |\n' \
      "$(python3 "$measure" ratios "$p/ours.times" "$p/nsis.times" 1 | sed 's/ / \/ /g')" \
      "$(python3 "$measure" ratios "$p/ours.times" "$p/nsis.times" 2 | sed 's/ / \/ /g')"
  } | tee -a "$work/report.md"
done
