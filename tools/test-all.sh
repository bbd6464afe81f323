#!/usr/bin/env bash
# Installs what is needed, builds every preset and runs every test: the Linux build with
# the emulated Windows machine, the tests of code that handles memory under AddressSanitizer
# and UBSan, and the 32-bit Windows build with its tests under Wine in virtual displays (among
# them install.exe and uninstaller.exe built with the compiler's own run-time as well).
# The Wine tests and the comparison of the emulated machine with Wine mostly wait on Wine and
# on windows, so they run beside the Linux tests and the sanitizer build; their output
# follows when they end. Each stage's time is printed at the end (docs/development.md), and
# the tests that were skipped, with the reasons they gave: the LHA corpus beside the project
# (ZOV_SHARED_DIR, ../shared by default) is optional, and its tests skip where it is not.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-deps.sh

jobs=$(nproc)
logs=build/test-logs
times=()
step() { printf '\n== %s\n' "$*"; }
# timed NAME COMMAND...: runs a stage and notes its time.
timed() {
  local name=$1 start=$SECONDS rc=0
  shift
  step "$name"
  "$@" || rc=$?
  times+=("$(printf '%5d s  %s' $((SECONDS - start)) "$name")")
  return $rc
}
# background NAME COMMAND...: starts a stage beside the others, its output into a log.
declare -A pids
background() {
  local name=$1
  shift
  step "$name: started beside the next stages"
  rm -f "$logs/$name.rc"
  ( start=$SECONDS; rc=0; "$@" >"$logs/$name.log" 2>&1 || rc=$?
    echo "$((SECONDS - start))" >"$logs/$name.seconds"; echo "$rc" >"$logs/$name.rc" ) &
  pids[$name]=$!
}
# skipped NAME BUILD: notes how many of a ctest run's tests were skipped (its log lists them as
# "(Skipped)") and the reasons their output gave (lines with ": skipped").
skips=()
reasons=""
skipped() {
  local count
  count=$(grep -c '(Skipped)$' "$logs/$1.log" || true)
  [ "$count" -gt 0 ] || return 0
  skips+=("$(printf '%5d  %s' "$count" "$1")")
  reasons+=$(grep -h ': skipped' "$2/Testing/Temporary/LastTest.log" | tr -d '\r')$'\n'
}
# tests NAME BUILD CTEST_ARGS...: a ctest run as a stage, its output kept for the skips.
tests() {
  local name=$1 build=$2 rc=0
  shift 2
  timed "$name" bash -c '"$@" 2>&1 | tee "$0"; exit "${PIPESTATUS[0]}"' "$logs/$name.log" "$@" || rc=$?
  skipped "$name" "$build"
  return $rc
}
# finish NAME: waits for a background stage, shows its output; false when it failed.
# The stage's own exit code is kept in a file: bash may have reaped it already, and then its
# wait answers "not a child of this shell" (127).
finish() {
  local name=$1 rc
  wait "${pids[$name]}" 2>/dev/null || true
  rc=$(cat "$logs/$name.rc" 2>/dev/null) || { echo "$name ended without its exit code"; rc=1; }
  step "$name (output)"
  cat "$logs/$name.log"
  times+=("$(printf '%5d s  %s (beside the others)' "$(cat "$logs/$name.seconds")" "$name")")
  return $rc
}

total=$SECONDS
timed "host build" bash -c "cmake --preset host >/dev/null && cmake --build build/host -j$jobs"
timed "win32 build" bash -c "cmake --preset win32 >/dev/null && cmake --build build/win32 -j$jobs"
mkdir -p "$logs"

# One Wine prefix made for the whole run; every Wine test works in a copy of it.
export ZOV_WINEPREFIX_TEMPLATE=$PWD/build/wine-template
timed "Wine prefix" bash -c 'cmake/wine-run --template "$0" >/dev/null 2>&1' "$ZOV_WINEPREFIX_TEMPLATE"
# Every Wine lane at once, each with a prefix and a virtual display of its own (so no DISPLAY).
lanes=$(sed -n 's/^ZOV_WINE_LANES:STRING=//p' build/win32/CMakeCache.txt)
background "win32 tests (Wine)" env -u DISPLAY ctest --preset win32 -j"$lanes"
# The emulated machine installs as Windows (Wine) does.
background "same install" env -u DISPLAY bash tests/cross/same_install.sh build/host build/win32

# From here a failed stage does not stop the others; the command fails at the end.
failed=()
tests "host tests" build/host ctest --preset host || failed+=("host tests")
# The sanitizers watch the code that handles memory itself: codecs, container, segments,
# configuration, the emulated machine's stores and every fuzz target's seeds.
if timed "sanitizer build" bash -c "cmake --preset asan >/dev/null && cmake --build build/asan -j$jobs --target memory_tests"; then
  tests "sanitizer tests" build/asan ctest --preset asan -L memory || failed+=("sanitizer tests")
else
  failed+=("sanitizer build")
fi
timed "both builds read examples/install.cfg alike" bash tests/cross/same_cfg_json.sh \
  build/host/tools/zovpack/zovpack build/win32/tools/zovpack/zovpack.exe examples/install.cfg ||
  failed+=("same cfg")

finish "win32 tests (Wine)" || failed+=("win32 tests (Wine)")
skipped "win32 tests (Wine)" build/win32
finish "same install" || failed+=("same install")
rm -rf "$ZOV_WINEPREFIX_TEMPLATE"

step "stage times"
printf '%s\n' "${times[@]}"
printf '%5d s  all\n' $((SECONDS - total))
if [ ${#skips[@]} -gt 0 ]; then
  step "skipped tests"
  printf '%s\n' "${skips[@]}"
  printf '%s' "$reasons" | sort -u
fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
