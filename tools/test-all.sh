#!/usr/bin/env bash
# Installs what is needed, builds every preset and runs every test: the Linux build with
# the emulated Windows machine, the tests of code that handles memory under AddressSanitizer
# and UBSan, and the 32-bit Windows build with its tests under Wine in a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-deps.sh

jobs=$(nproc)
step() { printf '\n== %s\n' "$*"; }

step "host build"
cmake --preset host >/dev/null
cmake --build build/host -j"$jobs"
step "host tests"
ctest --preset host

# The sanitizers watch the code that handles memory itself: codecs, container, segments,
# configuration, the emulated machine's stores and every fuzz target's seeds.
step "sanitizer build"
cmake --preset asan >/dev/null
cmake --build build/asan -j"$jobs" --target memory_tests
step "sanitizer tests"
ctest --preset asan -L memory

step "win32 build"
cmake --preset win32 >/dev/null
cmake --build build/win32 -j"$jobs"
step "win32 tests (Wine)"
# Two lanes at once, each with a prefix and a virtual display of its own (so no DISPLAY).
env -u DISPLAY ctest --preset win32 -j2

step "both builds read examples/install.cfg alike"
bash tests/cross/same_cfg_json.sh build/host/tools/zovpack/zovpack build/win32/tools/zovpack/zovpack.exe examples/install.cfg

step "the emulated machine installs as Windows (Wine) does"
bash tests/cross/same_install.sh build/host build/win32
