# Shared by the shell tests that run install.exe under Wine (sourced, not run):
#
#   wine_session_start WORK [SCREEN]   a fresh Wine prefix in WORK/prefix; a virtual display
#                                      of its own when SCREEN (e.g. 800x600x24) is given or
#                                      there is no DISPLAY; ended by wine_session_end
#   wine_session_end WORK              end Wine and the display, remove WORK
#   build_example_medium BUILD OUT     the example medium with BUILD's install.exe, made by
#                                      BUILD's zovpack.exe
#   wait_window TITLE                  wait until a visible window has the title
wine_session_xvfb=""

wine_session_start() {
  local screen=${2:-}
  if [ -n "$screen" ] || [ -z "${DISPLAY:-}" ]; then
    exec 3>"$1/display"
    Xvfb -displayfd 3 -screen 0 "${screen:-1024x768x24}" -nolisten tcp >"$1/xvfb.log" 2>&1 &
    wine_session_xvfb=$!
    for _ in $(seq 50); do [ -s "$1/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$1/display")"
  fi
  export WINEPREFIX="$1/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -d "${ZOV_WINEPREFIX_TEMPLATE:-}" ]; then
    # The test run's prefix, made and set up as below once for every test.
    "$(dirname "${BASH_SOURCE[0]}")/../../cmake/wine-run" --clone "$ZOV_WINEPREFIX_TEMPLATE" "$WINEPREFIX"
  else
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Wine links the profile's Desktop and Documents to the home directory, and its menu
    # builder turns every shell link into a desktop entry there: the tests keep both inside
    # the prefix.
    local folder
    for folder in "$WINEPREFIX"/drive_c/users/*/*; do
      if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
    done
    # No window manager: Wine draws the captions and frames itself, as Windows does, and does
    # not wait for a window manager to confirm each hidden window (two seconds a window).
    local setting
    for setting in Decorated Managed; do
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v $setting /d N /f >/dev/null 2>&1
    done
  fi
  wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null 2>&1
  wineserver -w
}

wine_session_end() {
  WINEPREFIX="$1/prefix" wineserver -k 2>/dev/null || true
  [ -n "$wine_session_xvfb" ] && kill "$wine_session_xvfb" 2>/dev/null || true
  rm -rf "$1"
}

build_example_medium() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  wine "$1/tools/zovpack/zovpack.exe" media --cfg "$(winepath -w "$root/examples/install.cfg")" \
    --from "$(winepath -w "$1/examples/payload")" --out "$(winepath -w "$2")" \
    --stub "$(winepath -w "$1/install/install.exe")" >"$2.log" 2>&1
  [ -f "$2/disk.001" ] || { cat "$2.log"; echo "no medium built"; return 1; }
}

# Each search is asked again until it finds the window: a search fails outright (X error
# BadWindow) when a window closes while it looks at it.
wait_window() {
  local deadline=$((SECONDS + ${WAIT_WINDOW_SECONDS:-30}))
  until xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
