#!/usr/bin/env bash
# The cost of writing ahead: the Linux install of the 20 MB example (the example's
# install.cfg and payload with 20 files of 1 MB added to the install directory) on the
# emulated machine, with the install's record flushed to disk before each change and with
# ZOV_NO_RECORD_FLUSH=1, which leaves the flushes out. The two run in turn, REPEAT rounds,
# so that a busy machine slows both alike. Goal: the flushes cost at most 10%.
#   bash bench/write_ahead.sh [WORKDIR]     (default /tmp/zov-bench-write-ahead; REPEAT=5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/host
work=${1:-/tmp/zov-bench-write-ahead}
repeat=${REPEAT:-5}
# shellcheck source=common.sh
. "$root/bench/common.sh"
needs awk
build_targets zovpack zov_install_cli

# The example's files, with the 1 MB parts of common.sh's payload beside them in [Files].
payload "$work/big" 20000000
mkdir -p "$work/payload"
cp "$root"/examples/payload/* "$work/big/files"/*.dat "$work/payload/"
# The example's program and uninstaller are built for Windows; any bytes stand in for them.
for f in notes.exe uninstaller.exe; do [ -f "$work/payload/$f" ] || head -c 100000 /dev/urandom >"$work/payload/$f"; done
awk -v extra="$(cd "$work/big/files" && n=10; for f in *.dat; do echo "File$n=$f~<INSTALLDIR>"; n=$((n + 1)); done)" '
  /^\[Files - OverWrite\]/ { print extra; print "" } { print }' "$root/examples/install.cfg" | tr -d '\r' >"$work/install.cfg"
head -c 50000 /dev/urandom >"$work/stub.exe"
"$zovpack" media --cfg "$work/install.cfg" --from "$work/payload" --out "$work/medium" --stub "$work/stub.exe" >/dev/null

# One install on a fresh machine with the medium in A:.
cat >"$work/run.sh" <<S
rm -rf '$work/machine' && mkdir -p '$work/machine/a' && cp '$work/medium'/* '$work/machine/a/'
'$build/install/install' --machine '$work/machine' --cwd 'A:\\' /S /TYPE=full
S
bash "$work/run.sh" | grep -qx installed || { echo "the install of the example failed: see bash $work/run.sh" >&2; exit 1; }
alternate "$repeat" "flushed=bash '$work/run.sh'" "unflushed=ZOV_NO_RECORD_FLUSH=1 bash '$work/run.sh'"
printf '\n| 20 MB example, Linux install (emulated machine) | wall s | cpu s |\n|---|---|---|\n'
printf '| record flushed before each change | %s | %s |\n' "${W[flushed]}" "${C[flushed]}"
printf '| ZOV_NO_RECORD_FLUSH=1 | %s | %s |\n' "${W[unflushed]}" "${C[unflushed]}"
printf '\nflushed / unflushed, wall: %s\n' "$(ratio "${W[flushed]}" "${W[unflushed]}")"
