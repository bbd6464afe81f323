#!/usr/bin/env bash
# Installs what is needed, builds the Linux and the Windows programs, reads the example
# medium's install.cfg as the setup would, builds and checks the example medium, and shows
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
build/host/tools/zovpack/zovpack media --cfg examples/install.cfg --from examples/payload --out build/example-medium
build/host/tools/zovpack/zovpack media-test build/example-medium
ls -l build/win32/tools/zovpack/zovpack.exe build/win32/install/install.exe
bash tools/show-setup.sh
