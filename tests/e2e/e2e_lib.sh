# Shared by the end-to-end scripts (sourced): the Wine environment of the test run, checks,
# the example media, and a prefix brought back to "nothing installed" between scenarios.
#
# Needs: root (the project's root), build (the Windows build directory), WINEPREFIX.
: "${WINEPREFIX:?set WINEPREFIX to the Wine prefix of the test run}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ -z "${DISPLAY:-}" ] && [ -s "$WINEPREFIX.display" ]; then export DISPLAY=":$(cat "$WINEPREFIX.display")"; fi

c="$WINEPREFIX/drive_c"
product="$c/Program Files/Tidewater"
shared="$c/Program Files/Tidewater Shared"
# The example's payloads as the Windows build assembles them: as shipped, and with notes.hlp
# grown to fill three 1.44 MB disks.
payload="$build/examples/payload"
payload_disks="$build/examples/payload-disks"
fail=0

check() {  # check DESCRIPTION COMMAND...: a failure shows the start of what the command said
  local what=$1 out; shift
  if out=$("$@" 2>&1); then echo "ok: $what"; else echo "FAILED: $what"; head -n 20 <<<"$out"; fail=1; fi
}

query() {  # query KEY VALUE TEXT: the registry value holds TEXT
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -F -- "$3"
}

no_value() {  # no_value KEY VALUE
  ! wine reg query "$1" /v "$2" >/dev/null 2>&1
}

# The user's desktop and Start Menu folders, asked once per script.
desktop_dir() {
  [ -n "${desktop_cached:-}" ] ||
    desktop_cached=$(wine winepath -u "$(wine cmd /c echo %USERPROFILE% | tr -d '\r')\\Desktop" 2>/dev/null | tr -d '\r')
  echo "$desktop_cached"
}

start_menu_dir() {
  local menu
  if [ -z "${menu_cached:-}" ]; then
    menu=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v 'Start Menu' \
           2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
    menu_cached=$(wine winepath -u "$menu" 2>/dev/null | tr -d '\r')
  fi
  echo "$menu_cached"
}

# Waits until no program runs in the prefix but Wine's own services: the setup, the driver,
# a program the setup launched, the uninstaller's copy of itself have ended. (The prefix's
# Wine server may stay up for the whole run, so "wineserver -w" would wait for ever.)
settle() {
  local i p cmd busy
  for ((i = 0; i < 1200; i++)); do
    busy=""
    for p in /proc/[0-9]*; do
      # A Windows program's first argument is its path; the shell's builtins keep this cheap.
      { read -r -d '' cmd <"$p/cmdline"; } 2>/dev/null || continue
      case ${cmd,,} in
        *'\services.exe'|*'\winedevice.exe'|*'\plugplay.exe'|*'\explorer.exe'|*'\svchost.exe'|*'\rpcss.exe') continue ;;
        *.exe) ;;
        *) continue ;;
      esac
      if grep -qzxF "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null; then busy=$cmd; break; fi
    done
    [ -n "$busy" ] || return 0
    sleep 0.1
  done
  echo "FAILED: still running after two minutes: $busy"
  fail=1
}

# Everything an install of the example leaves behind goes, so the next scenario starts clean.
reset_prefix() {
  local desktop menu
  desktop=$(desktop_dir)
  menu=$(start_menu_dir)
  settle
  rm -rf "$product" "$shared" "$c/Tide Work" "$c/Tidewater Data" "$c/windows/system/tidectl.dll" "$c/windows/tidewater.ini" \
         "$c/windows/tidewatr.bmp" \
         "$c/autoexec.zov" "$c/setup.log" "$c/windows/temp/z" \
         "$desktop/Tidewater Notes.lnk" "$desktop/Read Me.lnk" "$desktop/Tidewater Notes" \
         "$menu/Tidewater Notes.lnk" "$menu/Read Me.lnk" "$menu/Tidewater Notes" \
         "$menu/Programs/Tidewater Notes.lnk" "$menu/Programs/Read Me.lnk" "$menu/Programs/Tidewater Notes"
  # The product's keys go, in one run of regedit. The shared-library counts live in a key
  # that Windows has; a fresh prefix lacks it, and the install would record making it.
  printf '%s\r\n' 'REGEDIT4' '' '[-HKEY_LOCAL_MACHINE\Software\Tidewater]' '[-HKEY_CURRENT_USER\Software\Tidewater]' \
    '[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1]' \
    '[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs]' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs]' >"$c/windows/temp/reset.reg"
  wine regedit /S 'C:\windows\temp\reset.reg' >/dev/null 2>&1
  rm -f "$c/windows/temp/reset.reg"
  printf '@ECHO OFF\r\n' >"$c/autoexec.bat"
}

# make_medium PAYLOAD_DIR OUT_DIR [zovpack media options]: the example's install.cfg (or the
# one in $cfg) with a payload.
make_medium() {
  local payload=$1 out=$2; shift 2
  rm -rf "$out"
  wine "$build/tools/zovpack/zovpack.exe" media --cfg "$(winepath -w "${cfg:-$root/examples/install.cfg}")" \
    --from "$(winepath -w "$payload")" --out "$(winepath -w "$out")" \
    --stub "$(winepath -w "$build/install/install.exe")" "$@" >/dev/null
  test -f "$out/disk.001"
}

# example_medium medium|disks OUT: the example medium in one directory, or on three 1.44 MB
# disks, made by zovpack.exe once per test run (in the lanes' directory, which every test of
# the run shares; else here) and copied to OUT.
example_medium() {
  local name=$1 out=$2 shared=${ZOV_WINE_LANES:+$ZOV_WINE_LANES/media}
  if [ -z "$shared" ]; then
    make_example_medium "$name" "$out"
    return
  fi
  mkdir -p "$shared"
  (
    flock 9
    [ -f "$shared/$name/disk.001" ] || make_example_medium "$name" "$shared/$name"
  ) 9>"$shared/$name.lock"
  rm -rf "$out"
  cp -r "$shared/$name" "$out"
}

make_example_medium() {
  case $1 in
    medium) make_medium "$payload" "$2" ;;
    disks) make_medium "$payload_disks" "$2" --disk 1457664 ;;
  esac
}

# The files below the install directory, one a line, relative and sorted.
installed_tree() {
  (cd "$product" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}

# check_full_install PAYLOAD_DIR EXPECTED: what a full install of the example leaves in the
# prefix; tests/e2e/expected/uninstall-EXPECTED.cfg is its uninstall.cfg (user name as USER).
check_full_install() {
  local payload=$1 expected=$2
  check "files in the install directory, nothing extra" test "$(installed_tree | tr '\n' ' ')" = \
    "Samples/welcome.tnt install.cfg install.exe license.txt notes.exe notes.hlp readme.txt uninstall.cfg uninstaller.exe "
  check "the shared library in the system directory" cmp "$payload/tidectl.dll" "$c/windows/system/tidectl.dll"
  check "notes.exe byte for byte" cmp "$payload/notes.exe" "$product/notes.exe"
  check "notes.hlp byte for byte" cmp "$payload/notes.hlp" "$product/notes.hlp"
  check "the wallpaper in the Windows directory" cmp "$payload/tidewatr.bmp" "$c/windows/tidewatr.bmp"
  check "the word list below Program Files, nothing extra" test "$(ls "$shared" 2>&1)" = spelling.dic
  check "the word list byte for byte" cmp "$payload/spelling.dic" "$shared/spelling.dic"
  check "the alternative directory, empty" test -d "$c/Tidewater Data" -a -z "$(ls -A "$c/Tidewater Data")"
  check "uninstall.cfg as expected" diff <(tr -d '\r' <"$product/uninstall.cfg" | sed 's|^C:\\users\\[^\\]*\\|C:\\users\\USER\\|') \
    "$root/tests/e2e/expected/uninstall-$expected.cfg"
  check "registry value below HKLM" query 'HKLM\Software\Tidewater\Notes' InstallPath 'C:\Program Files\Tidewater'
  check "registry value below HKCU" query 'HKCU\Software\Tidewater\Notes\Settings' FirstRun 1
  local uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewater Notes 2.1'
  check "uninstall registration" query "$uninstall" UninstallString '"C:\Program Files\Tidewater\uninstaller.exe" Tidewater Notes 2.1'
  check "uninstall display name" query "$uninstall" DisplayName 'Tidewater Notes 2.1'
  check "quiet uninstall" query "$uninstall" QuietUninstallString '"C:\Program Files\Tidewater\uninstaller.exe" /S Tidewater Notes 2.1'
  check "publisher" query "$uninstall" Publisher 'Tidewater Software'
  check "version" query "$uninstall" DisplayVersion '2.1'
  check "about address" query "$uninstall" URLInfoAbout 'http://www.example.com/tidewater/'
  check "support address" query "$uninstall" HelpLink 'http://www.example.com/tidewater/'
  check "the product's icon" query "$uninstall" DisplayIcon 'C:\Program Files\Tidewater\notes.exe,0'
  check "install date, today" query "$uninstall" InstallDate "$(date +%Y%m%d)"
  check "size in KB" bash -c "wine reg query '$uninstall' /v EstimatedSize | tr -d '\r' | grep -Eq 'REG_DWORD\s+0x[1-9a-f]'"
  check "Windows' list of programs names it" bash -c "wine 'C:\\windows\\system32\\uninstaller.exe' --list | tr -d '\r' | grep -qF 'Tidewater Notes 2.1'"
  check "INI value" grep -q 'Home=C:\\Program Files\\Tidewater' "$c/windows/tidewater.ini"
  local block
  block=$(printf '%s\n' 'REM - Starting Zovrand Update' 'PATH %PATH%;C:\PROG~FBU\TIDE~ZY5' \
          'REM TIDEWATER DATA LIVES IN C:\TIDEWATER DATA' 'COPY/Y C:\PROG~FBU\TIDE~ZY5\README.TXT C:\TIDE~L5Y' \
          'REM - End of Zovrand')
  if [ "$expected" = again ]; then
    # The install puts its block where the earlier one's was; the backup is autoexec.bat as
    # the install found it.
    check "autoexec.bat: the block replaced, not added" test "$(tr -d '\r' <"$c/autoexec.bat")" = \
      "$(printf '@ECHO OFF\n%s' "$block")"
    check "autoexec.zov: as it was before this install" test "$(tr -d '\r' <"$c/autoexec.zov")" = \
      "$(printf '@ECHO OFF\n%s' "$block")"
  else
    check "autoexec.bat: its line, then the block with the directories' short names" test \
      "$(tr -d '\r' <"$c/autoexec.bat")" = "$(printf '@ECHO OFF\n%s' "$block")"
    check "autoexec.zov backup" test "$(tr -d '\r' <"$c/autoexec.zov")" = '@ECHO OFF'
  fi
  check_scratch_gone
}

check_link() {  # check_link LNK TARGET-NAME
  check "link $(basename "$1") to $2" bash -c "lnkinfo '$1' | grep -qi '$2'"
}

check_scratch_gone() {
  check "the payload's scratch directory is gone" test ! -e "$c/windows/temp/z"
  check "no temporary archive left" bash -c "! ls '$c/windows/temp/' | grep -qi '\\.\\\$a\\\$\$'"
}

check_nothing_installed() {
  check "nothing installed" test ! -e "$product"
  check "no shared library" test ! -e "$c/windows/system/tidectl.dll"
  check "no wallpaper" test ! -e "$c/windows/tidewatr.bmp"
  check "nothing below Program Files" test ! -e "$shared"
  check "no registry value" no_value 'HKLM\Software\Tidewater\Notes' InstallPath
  check "autoexec.bat untouched" test "$(tr -d '\r' <"$c/autoexec.bat")" = '@ECHO OFF'
  check_scratch_gone
}

# drive SCENARIO-FILE: runs install.exe through the driver; its output goes to the log.
drive() {
  local scenario=$1
  if wine "$build/tests/driver/zovdrive.exe" "$(winepath -w "$scenario")" ${shots:+"$(winepath -w "$shots")"}; then
    settle
    return 0
  fi
  settle
  return 1
}
