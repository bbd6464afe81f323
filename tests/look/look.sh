#!/usr/bin/env bash
# Runs install.exe on the example medium under Wine in a virtual 800x600 screen, walks
# through the main screen, the preparation window and every wizard page with the mouse,
# takes a screenshot of each and checks pixels that must hold.
#
#   tests/look/look.sh WIN32_BUILD_DIR OUT_DIR
#
# WIN32_BUILD_DIR holds install/install.exe and tools/zovpack/zovpack.exe; the PNGs go to
# OUT_DIR (docs/screens for the README). Needs Xvfb, wine, xdotool and ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

source "$root/tests/support/wine_session.sh"
work=$(mktemp -d /tmp/zov-look.XXXXXX)
trap 'wine_session_end "$work"' EXIT
# A display of its own, so the screenshots always have the same size.
wine_session_start "$work" 800x600x24
medium="$work/medium"
build_example_medium "$build" "$medium"

fail=0
check() {  # NAME PNG X Y EXPRESSION-ON-R-G-B
  local rgb r g b
  rgb=$(convert "$2" -format "%[fx:int(255*p{$3,$4}.r)] %[fx:int(255*p{$3,$4}.g)] %[fx:int(255*p{$3,$4}.b)]" info:)
  read -r r g b <<<"$rgb"
  if (( $5 )); then echo "ok   $1 ($r,$g,$b)"; else echo "FAIL $1 ($r,$g,$b) wants $5"; fail=1; fi
}
shot() { import -window root "$out/$1.png"; }
# Clicks a point of the wizard's client area (433 by 263 pixels, centred by the setup).
click_wizard() {
  local id x y w h
  id=$(xdotool search --onlyvisible --name '^ZOV32 - Setup$' | head -n1)
  eval "$(xdotool getwindowgeometry --shell "$id")"
  x=$((X + (WIDTH - 433) / 2 + $1)); y=$((Y + HEIGHT - (WIDTH - 433) / 2 - 263 + $2))
  xdotool mousemove "$x" "$y" click 1
  sleep 0.7
}

(cd "$medium" && wine install.exe >"$work/setup.log" 2>&1) &
wait_window "ZOV 32Bit Installer"
sleep 0.4
shot 1-main-screen
# The gradient of the example (navy to black): blue at the top, black at the bottom.
check "main screen top is blue" "$out/1-main-screen.png" 790 2 'b >= 100 && r < 40 && g < 40'
check "main screen bottom is black" "$out/1-main-screen.png" 790 597 'r < 16 && g < 16 && b < 16'
check "main screen middle is between" "$out/1-main-screen.png" 790 300 'b > 30 && b < 100 && r < 16'

wait_window "Preparing ZOV Setup"
sleep 0.2
shot 2-preparing

wait_window "ZOV32 - Setup"
sleep 0.8
shot 3-wizard-welcome
# The wizard's title bar: a gradient from blue (left) to black (right), right of its text.
check "wizard title bar is blue after its text" "$out/3-wizard-welcome.png" 300 165 'b >= 150 && r < 40 && g < 40'
check "wizard title bar ends dark" "$out/3-wizard-welcome.png" 590 165 'b < 60 && r < 20'

click_wizard 307 248            # Next
shot 4-wizard-licence
click_wizard 125 203            # Accept
shot 5-wizard-destination
click_wizard 307 248            # Next
shot 6-wizard-folders
click_wizard 307 248            # Next
shot 7-wizard-install-type
click_wizard 307 248            # Next
shot 8-wizard-ready
click_wizard 387 248            # Install

# The example launches the installed program, so the setup ends without a message.
if timeout 20 wineserver -w; then echo "ok   setup ended"; else echo "FAIL setup did not end"; fail=1; fi
exit $fail
