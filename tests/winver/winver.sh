#!/usr/bin/env bash
# Runs install.exe on the example medium under Wine set to Windows 98, XP, 7 and 10 in turn
# (winecfg's version setting). Wine keeps its newer exports at every setting, so this checks
# the paths that depend on the version, not whether the program loads (tests/imports does
# that): under each version the setup must start, show its main screen, expand every payload
# file into the temporary directory below the Windows directory and reach the wizard; and
# the unattended install of the medium must install the product.
#
#   tests/winver/winver.sh WIN32_BUILD_DIR [VERSION...]
#
# WIN32_BUILD_DIR holds install/install.exe and tools/zovpack/zovpack.exe. Needs wine,
# xdotool and, without a DISPLAY, Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
shift
versions=("$@")
[ ${#versions[@]} -gt 0 ] || versions=(win98 winxp win7 win10)

source "$root/tests/support/wine_session.sh"
work=$(mktemp -d /tmp/zov-winver.XXXXXX)
trap 'wine_session_end "$work"' EXIT
wine_session_start "$work"
medium="$work/medium"
build_example_medium "$build" "$medium"

export WAIT_WINDOW_SECONDS=60
# The version number Wine reports for each setting.
declare -A reported=([win98]="4.10" [winxp]="5.1" [win7]="6.1" [win10]="10.0")
fail=0
ok() { echo "ok   $version: $*"; }
bad() { echo "FAIL $version: $*"; fail=1; }
windows_dir() { winepath -u "$(wine cmd /c echo %windir% | tr -d '\r')"; }

for version in "${versions[@]}"; do
  wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  ver=$(wine cmd /c ver 2>/dev/null | tr -d '\r' | grep -o '[0-9][0-9.]*' | head -n1)
  if [[ "$ver" == "${reported[$version]}"* ]]; then ok "Wine reports Windows $ver"
  else bad "Wine reports Windows '$ver', not ${reported[$version]}"; continue; fi

  temp="$(windows_dir)/temp/z"
  rm -rf "$temp"
  run="$work/run-$version"
  cp -r "$medium" "$run"
  (cd "$run" && wine install.exe >"$work/setup-$version.log" 2>&1) &
  if wait_window "ZOV 32Bit Installer"; then ok "main screen shown"; else bad "no main screen"; fi
  if wait_window "ZOV32 - Setup"; then ok "wizard reached"; else bad "no wizard"; fi
  missing=""
  for file in "$build"/examples/payload/*; do
    [ -f "$temp/$(basename "$file")" ] || missing="$missing $(basename "$file")"
  done
  if [ -z "$missing" ]; then ok "payload expanded into the Windows directory's Temp\\z"
  else bad "not expanded into $temp:$missing"; fi
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$run"

  # The unattended install of the same medium under this version.
  c=$(winepath -u 'C:\')
  product="$c/Program Files/Tidewater"
  rm -rf "$product"
  cp -r "$medium" "$run"
  set +e
  (cd "$run" && wine install.exe /S /TYPE=full "/LOG=C:\\setup-$version.log" >/dev/null 2>&1)
  code=$?
  set -e
  wineserver -w 2>/dev/null || true
  if [ "$code" -eq 0 ]; then ok "unattended install ended with 0"; else bad "unattended install ended with $code"; fi
  if [ -f "$product/notes.exe" ] && [ -f "$product/Samples/welcome.tnt" ] && [ -f "$product/uninstall.cfg" ]; then
    ok "product installed"
  else bad "product not installed: $(ls "$product" 2>&1 | tr '\n' ' ')"; fi
  if wine reg query 'HKLM\Software\Tidewater\Notes' /v InstallPath >/dev/null 2>&1; then ok "registry value written"
  else bad "no registry value"; fi
  rm -rf "$run" "$product"
done
exit $fail
