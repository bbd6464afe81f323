# Sourced by the end-to-end scripts: the paths (root, build from $1), the Wine settings of
# the test run's prefix and display, and check DESCRIPTION COMMAND..., which counts failures
# in $fail. Leaves c (drive C:), product (the example's install directory) and payload (the
# example's payload as the Windows build assembles it).
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
payload="$build/examples/payload"
: "${WINEPREFIX:?set WINEPREFIX to the Wine prefix of the test run}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ -z "${DISPLAY:-}" ] && [ -s "$WINEPREFIX.display" ]; then export DISPLAY=":$(cat "$WINEPREFIX.display")"; fi

fail=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}
c="$WINEPREFIX/drive_c"
product="$c/Program Files/Tidewater"
