#!/usr/bin/env bash
# The fast tier, for every change: the Linux build with the emulated Windows machine and its
# unit tests. Run tools/test-all.sh before a change lands.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset host >/dev/null
cmake --build build/host -j"$(nproc)"
ctest --preset host
