#!/usr/bin/env bash
# Shows the example medium's setup: install.exe under Wine, in a Wine virtual desktop when
# a display exists, so that a person can work it. Without a display it installs silently
# and prints the setup's log and the installed tree.
#
#   tools/show-setup.sh [MEDIUM_DIR]     (default build/example-medium, as tools/main-job.sh builds it)
#
# Needs build/win32 (install.exe, the example payload) and build/host (zovpack); the Wine prefix
# is build/show-prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
medium=${1:-build/example-medium}
build/host/tools/zovpack/zovpack media --cfg examples/install.cfg --from build/win32/examples/payload --out "$medium" \
  --stub build/win32/install/install.exe >/dev/null
medium=$(cd "$medium" && pwd)

export WINEPREFIX="$root/build/show-prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX ..."
  wineboot -i >/dev/null 2>&1
  for folder in "$WINEPREFIX"/drive_c/users/*/*; do  # links into the home directory: own folders
    if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
  done
  wineserver -w
fi

cd "$medium"
if [ -n "${DISPLAY:-}" ]; then
  echo "install.exe runs in a Wine virtual desktop; work it through, it ends by itself."
  set +e
  wine explorer /desktop=ZovSetup,1024x768 install.exe
  code=$?
  set -e
  wineserver -w
  echo "install.exe ended with exit code $code"
else
  echo "No display: the unattended setup (install.exe /S /TYPE=full /LOG=C:\\setup.log) ..."
  rm -f "$WINEPREFIX/drive_c/setup.log"
  set +e
  wine install.exe /S /TYPE=full '/LOG=C:\setup.log'
  code=$?
  set -e
  wineserver -w
  echo "exit code $code; the setup's log:"
  tr -d '\r' <"$WINEPREFIX/drive_c/setup.log"
  echo "installed tree:"
  (cd "$WINEPREFIX/drive_c/Program Files/Tidewater" && find . | LC_ALL=C sort)
fi
exit "$code"
