#!/usr/bin/env bash
# install.exe under Wine, worked through its windows by the test driver (zovdrive.exe) as a
# user would: full install, licence declined, Cancel on every page, the close box, an abort
# during preparation, the overwrite question, a workstation install that launches the
# program, three disks with the second missing at first. After each the prefix is checked.
#
#   tests/e2e/wizard_scenarios.sh WIN32_BUILD_DIR [SCENARIO...]
#
# SCENARIO is one of the names below (all when none is given), with its arguments after a
# colon, separated by commas ("cancel:welcome,licence"). ZOV_REPEAT=N runs each N times.
# ZOV_KEEP=1 keeps what the last scenario left in the prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
shift
# shellcheck source=e2e_lib.sh
. "$here/e2e_lib.sh"

work="$c/zov-scenarios"
rm -rf "$work"
mkdir -p "$work"
scenario="$work/scenario.txt"
wizard='ZovWindow "ZOV32 - Setup"'
box='#32770 "ZOV - Setup"'
confirm='#32770 "Confirm"'
sure='Are you sure you want to cancel the installation?'
completed='Your installation of \nTidewater Notes 2.1\nhas be completed.\n\nPlease Remove any floppies from drive.'
canceled='Your installation was canceled!'


example_medium medium "$work/medium"

run() {  # run NAME: the scenario file is in $scenario; the setup logs to C:\setup.log
  echo "== $1"
  rm -f "$c/setup.log"
  sed -i 's/^\(start .* install\.exe\)$/\1 \/LOG=C:\\setup.log/' "$scenario"
  if ! drive "$scenario"; then echo "FAILED: scenario $1 was not played to its end"; fail=1; fi
  # What the setup itself reports as failed.
  if [ -f "$c/setup.log" ] && grep -q '^FAILED' "$c/setup.log"; then
    echo "the setup's log:"
    tr -d '\r' <"$c/setup.log" | grep '^FAILED'
  fi
}

# Welcome -> licence -> destination -> folders -> install type -> ready, on the example.
to_ready() {
  cat <<S
press Next
press Accept
text-is "C:\\Program Files\\Tidewater"
press Next
check "Add Folder to Desktop" on
press Next
check "Full Install ( All Files will be installed )" on
press Next
S
}

scenario_full() {
  reset_prefix
  cat >"$scenario" <<S
start C:\\zov-scenarios\\medium install.exe
timeout 60
window $wizard
framed
$(to_ready)
check "Return to Windows after installed" on
press Install
window $box
framed
message "$completed"
press OK
exit 0
S
  run full
  check_full_install "$payload" full
  local desktop
  desktop=$(desktop_dir)
  check_link "$desktop/Tidewater Notes.lnk" 'notes.exe'
  check_link "$desktop/Tidewater Notes/Read Me.lnk" 'readme.txt'
  check_link "$desktop/Tidewater Notes/Tidewater Notes.lnk" 'notes.exe'
  check "no link that was not asked for" test ! -e "$desktop/Read Me.lnk"
  check "the program was not launched" test ! -e "$product/launched.txt"
}

# Cancelled at PAGE (welcome, licence, destination, folders, type, ready) by the Cancel button,
# by Decline, or by the close box. Every way but Decline asks first; the Escape that comes as
# the wizard opens is answered No, and the wizard stays. The ways are the arguments (all when
# none are given). Nothing is installed, so the prefix is reset only after a failed check.
scenario_cancel() {
  local steps=() how page pages=("$@")
  [ ${#pages[@]} -gt 0 ] || pages=(welcome licence decline destination folders type ready closebox escape altf4)
  reset_prefix
  for page in "${pages[@]}"; do
    [ "$fail" -eq 0 ] || reset_prefix
    how="press Cancel"
    case $page in
      welcome) steps=() ;;
      licence) steps=("press Next" "enabled Next no") ;;
      decline) steps=("press Next" "enabled Next no"); how="press Decline" ;;
      destination) steps=("press Next" "press Accept" "text-is \"C:\\Program Files\\Tidewater\"") ;;
      folders) steps=("press Next" "press Accept" "press Next" "check \"Add Folder to Desktop\" on") ;;
      type) steps=("press Next" "press Accept" "press Next" "press Next" "check \"Full Install ( All Files will be installed )\" on") ;;
      ready) steps=("press Next" "press Accept" "press Next" "press Next" "press Next" "enabled Install yes") ;;
      closebox) steps=("press Next" "press Accept"); how="close" ;;
      escape) steps=("key ESC" "window $confirm" "framed" "message \"$sure\"" "press No" "gone" "window $wizard"
                     "press Next" "press Accept" "press Next" "check \"Add Folder to Desktop\" on"); how="key ESC" ;;
      altf4) steps=("press Next" "press Accept" "focus \"C:\\Program Files\\Tidewater\""); how="key ALT+F4" ;;
    esac
    {
      echo 'start C:\zov-scenarios\medium install.exe'
      echo 'timeout 60'
      echo "window $wizard"
      printf '%s\n' "${steps[@]}"
      echo "$how"
      [ "$page" = decline ] || printf '%s\n' "window $confirm" "message \"$sure\"" "press Yes"
      echo "window $box"
      echo "framed"
      echo "message \"$canceled\""
      echo "press OK"
      echo "exit 1"
    } >"$scenario"
    run "cancel on $page"
    check_nothing_installed
  done
}

# Installs into the same directories again: the example asks before it replaces its shared
# library (the overwrite mark of its sixth file); answered Yes, then No.
scenario_overwrite() {
  local answer dll="$c/windows/system/tidectl.dll"
  reset_prefix
  for answer in first Yes No; do
    printf 'changed by the user\r\n' >"$work/changed.dll"
    [ "$answer" = first ] || cp "$work/changed.dll" "$dll"
    cat >"$scenario" <<S
start C:\\zov-scenarios\\medium install.exe
timeout 60
window $wizard
$(to_ready)
check "Return to Windows after installed" on
press Install
$( [ "$answer" = first ] || printf 'window #32770 "Confirm"\nframed\nmessage "File Already Exists (tidectl.dll). Overwrite?"\npress %s\n' "$answer")
window $box
message "$completed"
press OK
exit 0
S
    run "install, overwrite question: $answer"
    if [ "$answer" = No ]; then
      check "No kept the changed file" cmp "$work/changed.dll" "$dll"
      cp "$payload/tidectl.dll" "$dll"  # for the checks of the rest
    fi
    if [ "$answer" = first ]; then
      check_full_install "$payload" full
      cp "$c/autoexec.bat" "$work/autoexec.once"
    else
      check_full_install "$payload" again
      cp "$work/autoexec.once" "$c/autoexec.bat"  # one earlier install, as the checks of the next expect
    fi
  done
}

# The network workstation install, then the program starts (the launch choice); the
# Start Menu link unchecked.
scenario_workstation() {
  reset_prefix
  local menu desktop
  menu=$(start_menu_dir)
  desktop=$(desktop_dir)
  cat >"$scenario" <<S
start C:\\zov-scenarios\\medium install.exe
timeout 60
window $wizard
press Next
press Accept
type "C:\\Tide Work"
press Next
item 1 "Tidewater Notes" off
item 1 "Read Me" on
item 0 "Tidewater Notes" on
press Next
check "Only Files need to run from Network will be installed" on
press Next
check "Launch Program after installed" on
press Install
# The example's program says hello; the user closes its box.
launched-window #32770 "Tidewater Notes"
framed
message "Welcome to Tidewater Notes 2.1.\n\nYour notes are kept in the Samples folder."
press OK
exit 0
S
  run workstation
  local dir="$c/Tide Work"
  check "workstation files, nothing extra" test "$(cd "$dir" 2>/dev/null && find . -type f ! -name launched.txt | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')" = \
    "install.cfg install.exe license.txt notes.exe readme.txt uninstall.cfg uninstaller.exe "
  check "the program was launched with its parameter" grep -q '/welcome' "$dir/launched.txt"
  check "desktop link to the program" bash -c "lnkinfo '$desktop/Tidewater Notes.lnk' | grep -qi 'Tide Work'"
  check "the unchecked Start Menu link is not made" test ! -e "$menu/Tidewater Notes.lnk"
  check_link "$menu/Read Me.lnk" 'readme.txt'
  check "no program folder asked for: the links go to the Programs group" test -f "$menu/Programs/Tidewater Notes/Read Me.lnk"
  check "registry value names the directory" query 'HKLM\Software\Tidewater\Notes' InstallPath 'C:\Tide Work'
  check_scratch_gone
  rm -rf "$dir"
}

# Started by its full path from another folder, as Start > Run "A:\install.exe" does: the
# setup finds its medium beside the program, unattended and through the wizard, and leaves
# the medium whole. A Launch without parameters starts the program with none.
scenario_elsewhere() {
  reset_prefix
  local code
  set +e
  (cd "$c/windows" && wine 'C:\zov-scenarios\medium\install.exe' /S /TYPE=full /FOLDERS=desktop '/LOG=C:\setup.log')
  code=$?
  set -e
  settle
  check "unattended by its full path from C:\\windows: exit code 0" test "$code" -eq 0
  check_full_install "$payload" full
  check "the medium is left whole" test -f "$work/medium/disk.001" -a -f "$work/medium/install.cfg"

  reset_prefix
  sed 's/^Launch=.*/Launch=<INSTALLDIR>\\notes.exe/' "$root/examples/install.cfg" >"$work/plain.cfg"
  cfg="$work/plain.cfg" make_medium "$payload" "$work/plain"
  cat >"$scenario" <<S
start C:\\windows ..\\zov-scenarios\\plain\\install.exe
timeout 60
window $wizard
press Next
press Accept
text-is "C:\\Program Files\\Tidewater"
press Next
press Next
check "Full Install ( All Files will be installed )" on
press Next
check "Launch Program after installed" on
press Install
launched-window #32770 "Tidewater Notes"
message "Tidewater Notes 2.1"
press OK
exit 0
S
  run "by its full path from another folder, a launch without parameters"
  check "the program was launched" test -f "$product/launched.txt"
  # The command line less the program's own (quoted or not) path: nothing.
  check "the program got no parameters" test -z "$(tr -d '\r' <"$product/launched.txt" | sed 's/^"[^"]*"//; s/^[^ ]*//' | tr -d ' ')"
  check "the medium is left whole" test -f "$work/plain/disk.001" -a -f "$work/plain/install.cfg"
}

# Three 1.44 MB disks; disk 2 is not in the drive at first.
scenario_disks() {
  reset_prefix
  example_medium disks "$work/disks"
  check "three disks" test -f "$work/disks/disk.003" -a ! -e "$work/disks/disk.004"
  # A 1.44 MB floppy holds 2847 clusters of 512 bytes: disk 1 carries the setup beside its segment.
  local clusters=0 f
  for f in install.exe install.cfg disk.001; do clusters=$((clusters + ($(stat -c %s "$work/disks/$f") + 511) / 512)); done
  check "disk 1 fits a floppy ($clusters clusters)" test "$clusters" -le 2847
  mkdir -p "$work/spare"
  mv "$work/disks/disk.002" "$work/spare/"
  cat >"$scenario" <<S
start C:\\zov-scenarios\\disks install.exe
timeout 90
window $box
framed
message "Please Insert Disk #2 into Floppy Drive."
move C:\\zov-scenarios\\spare\\disk.002 C:\\zov-scenarios\\disks\\disk.002
press OK
window $wizard
$(to_ready)
check "Return to Windows after installed" on
press Install
window $box
message "$completed"
press OK
exit 0
S
  run "three disks, disk 2 missing at first"
  check_full_install "$payload_disks" full
}

# The same full install unattended from the three disks (install.exe /S), then with disk 2
# missing: no window, a cancelled ending with the reason in the log.
scenario_silent_disks() {
  reset_prefix
  [ -f "$work/disks/disk.003" ] || example_medium disks "$work/disks"
  local code
  set +e
  (cd "$work/disks" && wine install.exe /S /TYPE=full /FOLDERS=desktop '/LOG=C:\setup.log')
  code=$?
  set -e
  settle
  check "unattended from three disks: exit code 0" test "$code" -eq 0
  check_full_install "$payload_disks" full
  check "the log ends installed" bash -c "tr -d '\r' <'$c/setup.log' | tail -n1 | grep -qx installed"

  reset_prefix
  mv "$work/disks/disk.002" "$work/disk.002"
  set +e
  (cd "$work/disks" && wine install.exe /S /TYPE=full '/LOG=C:\setup.log')
  code=$?
  set -e
  settle
  mv "$work/disk.002" "$work/disks/disk.002"
  check "unattended with disk 2 missing: exit code 1" test "$code" -eq 1
  check "the log names the missing disk" grep -qF 'FAILED disk 2 (C:\zov-scenarios\disks\disk.002) is missing' "$c/setup.log"
  check "the log shows no reader's name" bash -c "! grep -q TSegCompress '$c/setup.log'"
  check_nothing_installed
}

# Disk 2 of another medium of the same product: named for what it is; the right disk then
# goes on. Then disk 2 missing and Cancel at the prompt: a cancel, with no error box.
scenario_wrong_disk() {
  [ -f "$work/disks/disk.003" ] || example_medium disks "$work/disks"
  make_medium "$payload_disks" "$work/other" --segsize 1000000
  reset_prefix
  mkdir -p "$work/spare"
  mv "$work/disks/disk.002" "$work/spare/"
  cp "$work/other/disk.002" "$work/disks/disk.002"
  cat >"$scenario" <<S
start C:\\zov-scenarios\\disks install.exe
timeout 90
window #32770 "Error"
framed
message "This disk 2 is not the one made for this medium of Tidewater Notes 2.1; insert the right disk 2.\n\nThen press OK, or Cancel to abort"
move C:\\zov-scenarios\\disks\\disk.002 C:\\zov-scenarios\\other.002
move C:\\zov-scenarios\\spare\\disk.002 C:\\zov-scenarios\\disks\\disk.002
press OK
window $wizard
press Cancel
window $confirm
press Yes
window $box
message "$canceled"
press OK
exit 1
S
  run "disk 2 of another medium, then the right one"
  check_nothing_installed

  reset_prefix
  mv "$work/disks/disk.002" "$work/spare/"
  cat >"$scenario" <<S
start C:\\zov-scenarios\\disks install.exe
timeout 90
window $box
message "Please Insert Disk #2 into Floppy Drive."
press Cancel
gone
window $box
message "$canceled"
press OK
exit 1
S
  run "disk 2 missing, Cancel at the prompt"
  mv "$work/spare/disk.002" "$work/disks/"
  check "the log says the disk is missing" grep -qF 'cancelled: disk 2 (C:\zov-scenarios\disks\disk.002) is missing' "$c/setup.log"
  check_nothing_installed
}

# Each segment of the three disks in turn missing, replaced by another disk of the set, or cut short;
# every box answered with its most cautious button: the setup must end cancelled (exit code 1)
# with nothing installed and its scratch files gone, never crash or hang.
# The disks are the arguments (all three when none are given). Nothing is installed, so the
# prefix is reset only after a failed check.
scenario_damaged() {
  [ -f "$work/disks/disk.003" ] || example_medium disks "$work/disks"
  local n damage seg size disks=("$@")
  [ ${#disks[@]} -gt 0 ] || disks=(1 2 3)
  reset_prefix
  for n in "${disks[@]}"; do
    for damage in missing wrong truncated; do
      [ "$fail" -eq 0 ] || reset_prefix
      rm -rf "$work/damaged"
      cp -r "$work/disks" "$work/damaged"
      seg="$work/damaged/disk.00$n"
      case $damage in
        missing) rm "$seg" ;;
        wrong) cp "$work/disks/disk.00$((n % 3 + 1))" "$seg" ;;
        truncated) size=$(stat -c %s "$seg"); truncate -s $((size / 2)) "$seg" ;;
      esac
      printf '%s\n' 'start C:\zov-scenarios\damaged install.exe' 'timeout 60' 'decline-all' 'exit 1' >"$scenario"
      run "disk $n $damage"
      check_nothing_installed
    done
  done
  rm -rf "$work/damaged"
}

# The preparation of the three-disk payload aborted by the user while it expands: by a click
# on the window's free area, by Escape, by Alt+F4; once "No" first, and the expansion goes on.
scenario_abort() {
  [ -f "$work/disks/disk.003" ] || example_medium disks "$work/disks"
  local how
  for how in "click 4 -4" "key ESC" "key ALT+F4"; do
    reset_prefix
    cat >"$scenario" <<S
start C:\\zov-scenarios\\disks install.exe
timeout 60
window ZovWindow "Preparing ZOV Setup"
$how
window #32770 "Warning"
message "Abort Setup Process ?"
framed
press No
gone
window ZovWindow "Preparing ZOV Setup"
# Asked again while the large file expands.
file C:\\windows\\temp\\z\\notes.hlp
$how
window #32770 "Warning"
message "Abort Setup Process ?"
press Abort
exit 1
S
    run "preparation aborted ($how)"
    check_nothing_installed
  done
}

# The whole wizard by keyboard: Enter for Next and Install; on the licence Tab moves the shown
# focus past the text and Space presses Accept; the destination starts in its edit box, where
# a typed path (with the C of Cancel's access key) is only text; in a list of shortcuts the
# first Space toggles the first line; the arrow keys select the
# install type as they move; an access key for a check box; the focus always on a control.
scenario_keyboard() {
  reset_prefix
  local menu
  menu=$(start_menu_dir)
  cat >"$scenario" <<S
start C:\\zov-scenarios\\medium install.exe
timeout 60
window $wizard
framed
focus Next
key ENTER
enabled Next no
framed
key TAB
focus Decline
key TAB
focus Accept
key SPACE
focus "C:\\Program Files\\Tidewater"
keys "C:\\Program Files\\Tide"
text-is "C:\\Program Files\\Tide"
keys water
text-is "C:\\Program Files\\Tidewater"
key ENTER
is-checked "Add Folder to Start Menu" off
key TAB
focus "Add Folder to Start Menu"
key SPACE
is-checked "Add Folder to Start Menu" on
key TAB
focus "Add Folder to Desktop"
key TAB
focus-list 0
key SPACE
item-is 0 "Tidewater Notes" off
key SPACE
item-is 0 "Tidewater Notes" on
key ENTER
is-checked "Full Install ( All Files will be installed )" off
key TAB
focus "Only Files need to run from Network will be installed"
key UP
focus "Full Install ( All Files will be installed )"
is-checked "Full Install ( All Files will be installed )" on
is-checked "Only Files need to run from Network will be installed" off
key DOWN
is-checked "Only Files need to run from Network will be installed" on
key DOWN
is-checked "Full Install ( All Files will be installed )" on
key ENTER
enabled Install yes
check "Return to Windows after installed" on
key ENTER
window $box
framed
message "$completed"
key ENTER
exit 0
S
  run keyboard
  check_full_install "$payload" keyboard
  check_link "$menu/Tidewater Notes/Read Me.lnk" 'readme.txt'
  check "no program folder on the desktop" test ! -e "$(desktop_dir)/Tidewater Notes"
}

all=(full keyboard cancel overwrite workstation elsewhere disks silent_disks damaged abort wrong_disk)
chosen=("$@")
[ ${#chosen[@]} -gt 0 ] || chosen=("${all[@]}")
for ((round = 1; round <= ${ZOV_REPEAT:-1}; round++)); do
  for name in "${chosen[@]}"; do
    IFS=, read -r -a arguments <<<"${name#*:}"
    [[ $name == *:* ]] || arguments=()
    "scenario_${name%%:*}" "${arguments[@]}"
  done
done
# ZOV_KEEP=1 leaves the last scenario's prefix for a look.
if [ -z "${ZOV_KEEP:-}" ]; then reset_prefix; rm -rf "$work"; fi
exit $fail
