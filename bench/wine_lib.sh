# The Wine side of the benchmarks, sourced by install.sh and uninstall.sh after setting
# `root` and `work`: a machine of their own below $work that each round starts afresh, the
# whole Wine process tree counted, what a traced run wrote, and the end state it left.
#
#  - Nothing is written outside $work: HOME is $work/home, and the prefix's desktop and
#    profile folders are folders of its own, not Wine's links into the home folder.
#  - A display of its own (Xvfb), with a window manager (openbox) unless WM=none.
#  - The benchmark runs in a cgroup of its own; a timed run counts the processor time of the
#    whole group (the Wine server, Wine's services and every program of the run).
#  - wine_reset puts the prefix back as it was made: every round is a first install.

export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache
export WINEPREFIX=$work/prefix
template=$work/template
c=$WINEPREFIX/drive_c
measure=$root/bench/measure.py
started_pids=()

wine_stop() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  local pid
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "${cgroup:-}" ] && [ -d "$cgroup" ]; then
    echo $$ >"$(dirname "$cgroup")/cgroup.procs" 2>/dev/null || true
    rmdir "$cgroup" 2>/dev/null || true
  fi
}

# wine_start: the display, the window manager, the cgroup and the prefix made once.
wine_start() {
  mkdir -p "$HOME"
  trap wine_stop EXIT
  local base=/sys/fs/cgroup/cpuacct
  [ -d "$base" ] || base=/sys/fs/cgroup
  cgroup=$base/zov-bench-$$
  mkdir "$cgroup" && echo $$ >"$cgroup/cgroup.procs" ||
    { echo "needs a cgroup of its own to count the Wine process tree (run as root)" >&2; exit 1; }
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" </dev/null >/dev/null 2>&1 &
  started_pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
  if [ "${WM:-openbox}" != none ]; then
    openbox --sm-disable </dev/null >/dev/null 2>&1 &
    started_pids+=($!)
  fi
  rm -rf "$template" && WINEPREFIX=$template wineboot -i >/dev/null 2>&1
  local folder
  for folder in "$template"/drive_c/users/*/*; do
    if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
  done
  WINEPREFIX=$template wineserver -w
  wine_reset
  desktop=$(wine_unix_path '%USERPROFILE%\Desktop')
  startmenu=$(wine_unix_path '%APPDATA%\Microsoft\Windows\Start Menu')
}

wine_unix_path() { winepath -u "$(wine cmd /c echo "$1" | tr -d '\r')" 2>/dev/null | tr -d '\r'; }

# wine_reset: the prefix as it was made (Wine's own libraries linked, not copied: no
# installer changes them), its server up and its services started.
wine_reset() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
  tar -C "$template" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/winsxs -cf - . |
    tar -C "$WINEPREFIX" -xf -
  cp -al "$template/drive_c/windows/system32" "$template/drive_c/windows/winsxs" "$c/windows/"
  printf '@ECHO OFF\r\n' >"$c/autoexec.bat"
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1
  touch "$WINEPREFIX/.reset"
}

# timed OUT DIR COMMAND...: one run from DIR, appended to OUT as "processor wall".
timed() {
  local out=$1 dir=$2; shift 2
  (cd "$dir" && python3 "$measure" tree "$cgroup" "$out" -- "$@")
}

# server_pid: the Wine server of this prefix, the one in the benchmark's cgroup.
server_pid() {
  local pid
  for pid in $(cat "$cgroup/cgroup.procs"); do
    case $(cat "/proc/$pid/comm" 2>/dev/null) in wineserver*) echo "$pid"; return ;; esac
  done
  echo "no Wine server in $cgroup" >&2
  exit 1
}

# traced NAME DIR COMMAND...: one run from DIR under strace (the programs and the Wine
# server); prints "bytes writes opens flushes" and the files written outside $work.
traced() {
  local name=$1 dir=$2; shift 2
  local calls=open,openat,creat,write,pwrite64,writev,pwritev,fsync,fdatasync
  strace -qq -f -y -s 0 -e trace=$calls -e signal=none -o "$work/$name.server.trace" -p "$(server_pid)" &
  local tracer=$!
  sleep 1
  (cd "$dir" && strace -qq -f -y -s 0 -e trace=$calls -e signal=none -o "$work/$name.trace" "$@" >/dev/null 2>&1) || true
  python3 "$measure" tree "$cgroup" /dev/null -- true  # the programs it started end
  kill -INT "$tracer" 2>/dev/null; wait "$tracer" 2>/dev/null || true
  python3 "$measure" io "$work" "$work/$name.trace" "$work/$name.server.trace"
}

# end_state OUT: what changed on the machine since the reset: each file made or changed
# (links by their target, arguments and folder, a folder's trailing \\ and empty fields aside), each file gone, each registry value.
end_state() {
  local out=$1 f
  wine reg export 'HKLM\Software' "$work/after-hklm.reg" /y >/dev/null 2>&1
  wine reg export 'HKCU\Software' "$work/after-hkcu.reg" /y >/dev/null 2>&1
  [ -f "$work/before-hklm.reg" ] || { echo "end_state: no registry of the fresh machine" >&2; exit 1; }
  {
    (cd "$c" && find . -cnewer "$WINEPREFIX/.reset" -type f ! -path './windows/temp/*' ! -path './users/*/Temp/*' \
      ! -path './bench/*' | LC_ALL=C sort) | while read -r f; do
      case $f in
        *.lnk) printf '%s %s\n' "$f" "$(lnkinfo "$c/$f" 2>/dev/null | grep -E 'Local path|Command line arguments|Working directory' |
          sed 's/^[[:space:]]*//; s/\\$//; /: $/d' | tr -s ' \t' ' ' | tr '\n' ';')" ;;
        *) printf '%s %s\n' "$f" "$(sha1sum <"$c/$f" | cut -c1-40)" ;;
      esac
    done
    (cd "$c" && find . -type d -cnewer "$WINEPREFIX/.reset" ! -path './windows/temp*' ! -path './users/*/Temp*' \
      ! -path './bench*' | LC_ALL=C sort | sed 's/$/ <folder>/')
    python3 "$measure" regdiff "$work/before-hklm.reg" "$work/after-hklm.reg"
    python3 "$measure" regdiff "$work/before-hkcu.reg" "$work/after-hkcu.reg" | grep -v '^HKEY_CURRENT_USER\\Software\\Wine\\' || true
  } >"$out"
}

# fresh_registry: the registry of the freshly reset machine, for end_state.
fresh_registry() {
  wine reg export 'HKLM\Software' "$work/before-hklm.reg" /y >/dev/null 2>&1
  wine reg export 'HKCU\Software' "$work/before-hkcu.reg" /y >/dev/null 2>&1
  touch "$WINEPREFIX/.reset"
}

# print_spread LABEL FILE...: processor and wall time of each, minimum, median and maximum.
print_spread() {
  local label=$1 f; shift
  for f in "$@"; do
    printf '| %s %s | %s | %s |\n' "$label" "$(basename "$f" .times)" \
      "$(python3 "$measure" spread "$f" 1 | sed 's/ / \/ /g')" "$(python3 "$measure" spread "$f" 2 | sed 's/ / \/ /g')"
  done
}
