#!/usr/bin/env bash
# Runs install.exe on the example medium under Wine in a screen of its own (800x600), works
# it through the test driver (tests/driver/zovdrive.exe) from the main screen to the final
# message, takes a screenshot of each window and page and checks pixels that must hold.
#
#   tests/look/look.sh WIN32_BUILD_DIR OUT_DIR
#
# WIN32_BUILD_DIR holds install/install.exe, tools/zovpack/zovpack.exe and the driver; the
# PNGs go to OUT_DIR (docs/screens for the README). Needs Xvfb, wine and ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

source "$root/tests/support/wine_session.sh"
work=$(mktemp -d /tmp/zov-look.XXXXXX)
trap 'kill "$watcher_pid" 2>/dev/null || true; wine_session_end "$work"' EXIT
watcher_pid=""
# A display of its own, so the screenshots always have the same size.
wine_session_start "$work" 800x600x24
medium="$work/medium"
build_example_medium "$build" "$medium"
# The shared library is there already, so the install stops at the overwrite question with
# its progress page behind.
cp "$build/examples/payload/tidectl.dll" "$WINEPREFIX/drive_c/windows/system/"

fail=0
check() {  # NAME PNG X Y EXPRESSION-ON-R-G-B
  local r g b
  read -r r g b <<<"$(pixel "$2" "$3" "$4")"
  if (( $5 )); then echo "ok   $1 ($r,$g,$b)"; else echo "FAIL $1 ($r,$g,$b) wants $5"; fail=1; fi
}

pixel() {  # PNG X Y: "R G B"
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}
# A shot that shows a state no window tells: X Y EXPRESSION-ON-R-G-B that must hold first.
# The main screen paints its design look before it reads install.cfg; the shot waits for the
# configured gradient.
declare -A shoot_when=([1-main-screen]="790 300 b > 30 && b < 100 && r < 16")

# The driver asks for each shot with NAME.want in the shot directory and waits for NAME.done.
shots="$work/shots"
mkdir -p "$shots"
(
  while :; do
    for want in "$shots"/*.want; do
      [ -e "$want" ] || continue
      name=$(basename "$want" .want)
      for _ in $(seq 200); do
        import -window root "$out/$name.png"
        [ -n "${shoot_when[$name]:-}" ] || break
        read -r x y condition <<<"${shoot_when[$name]}"
        read -r r g b <<<"$(pixel "$out/$name.png" "$x" "$y")"
        if (( condition )); then break; fi
      done
      rm -f "$want"
      touch "$shots/$name.done"
    done
    sleep 0.05
  done
) &
watcher_pid=$!

m=$(winepath -w "$medium")
cat >"$work/look.txt" <<S
start $m install.exe
timeout 60
window ZovWindow "ZOV 32Bit Installer"
shot 1-main-screen
window ZovWindow "Preparing ZOV Setup"
shot 2-preparing
window ZovWindow "ZOV32 - Setup"
focus Next
shot 3-wizard-welcome
press Next
enabled Next no
shot 4-wizard-licence
press Accept
text-is "C:\\Program Files\\Tidewater"
focus "C:\\Program Files\\Tidewater"
shot 5-wizard-destination
press Next
check "Add Folder to Desktop" on
shot 6-wizard-folders
press Next
is-checked "Only Files need to run from Network will be installed" on
focus Next
shot 7-wizard-install-type
check "Full Install ( All Files will be installed )" on
press Next
check "Return to Windows after installed" on
shot 8-wizard-ready
press Install
window #32770 "Confirm"
message "File Already Exists (tidectl.dll). Overwrite?"
shot 9-wizard-progress
press Yes
window #32770 "ZOV - Setup"
message "Your installation of \nTidewater Notes 2.1\nhas be completed.\n\nPlease Remove any floppies from drive."
shot 10-completed
press OK
exit 0
S
if wine "$build/tests/driver/zovdrive.exe" "$(winepath -w "$work/look.txt")" "$(winepath -w "$shots")" \
     >"$work/driver.log" 2>&1; then
  echo "ok   the setup was worked through to its end"
else
  cat "$work/driver.log"
  echo "FAIL the driver did not get to the end"
  fail=1
fi

# The installed product in Wine's list of programs, and its support information.
wine control appwiz.cpl >/dev/null 2>&1 &
if wait_window "Add/Remove Programs"; then
  programs=$(xdotool search --onlyvisible --name "^Add/Remove Programs\$" | head -n1)
  sleep 1
  xdotool mousemove --window "$programs" 90 208 click 1
  sleep 1
  import -window root "$out/11-programs-list.png"
  xdotool mousemove --window "$programs" 130 356 click 1
  if wait_window "Support Information"; then
    sleep 1
    import -window root "$out/12-support-information.png"
  else
    echo "FAIL no support information"
    fail=1
  fi
else
  echo "FAIL Wine's list of programs did not open"
  fail=1
fi

# The gradient of the example (navy to black): blue at the top, black at the bottom.
check "main screen top is blue" "$out/1-main-screen.png" 790 2 'b >= 100 && r < 40 && g < 40'
check "main screen bottom is black" "$out/1-main-screen.png" 790 597 'r < 16 && g < 16 && b < 16'
check "main screen middle is between" "$out/1-main-screen.png" 790 300 'b > 30 && b < 100 && r < 16'
# The example's picture (splash.gif, 96 by 48, centred above the wizard) once expanded: its
# sky, and the crest of its wave.
check "the GIF's sky on the main screen" "$out/3-wizard-welcome.png" 442 87 'b > 90 && r < 20 && g > 30'
check "the GIF's wave on the main screen" "$out/3-wizard-welcome.png" 360 120 'r > 190 && g > 200 && b > 220'
# The wizard's title bar: a gradient in install.cfg's colours, navy (128) at the left to black
# at the right, right of its text.
check "wizard title bar is navy after its text" "$out/3-wizard-welcome.png" 300 165 'b >= 70 && b < 128 && r < 20 && g < 20'
check "wizard title bar ends dark" "$out/3-wizard-welcome.png" 590 165 'b < 60 && r < 20'
# notes.exe's icon in the list of programs: the blue wave across its page.
check "the product's icon in the list of programs" "$out/11-programs-list.png" 35 211 'b > 200 && r < 60 && g < 60'
exit $fail
