#!/usr/bin/env bash
# Installs what is needed, builds the Linux and the Windows programs, reads the example
# medium's install.cfg as the setup would, builds and checks the example's two media (one
# directory, and three 1.44 MB disks from the payload with its large help file), and shows
# its setup under Wine (tools/show-setup.sh: for a person to work when a display exists, else
# unattended, with its log and the installed tree).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-deps.sh
cmake --preset host >/dev/null
cmake --build build/host -j"$(nproc)" --target zovpack
cmake --preset win32 >/dev/null
cmake --build build/win32 -j"$(nproc)"
build/host/tools/zovpack/zovpack cfg examples/install.cfg
# The disks medium for 1.44 MB floppies: disk 1 carries install.exe and install.cfg beside its segment.
for medium in "medium payload" "disks payload-disks --disk 1457664"; do
  read -r name payload options <<<"$medium"
  # shellcheck disable=SC2086
  build/host/tools/zovpack/zovpack media --cfg examples/install.cfg --from "build/win32/examples/$payload" \
    --stub build/win32/install/install.exe --out "build/example-$name" $options
  build/host/tools/zovpack/zovpack media-test "build/example-$name"
done
ls -l build/example-disks
ls -l build/win32/tools/zovpack/zovpack.exe build/win32/install/install.exe
bash tools/show-setup.sh
