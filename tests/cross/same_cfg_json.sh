#!/usr/bin/env bash
# The Linux tool (emulated profile functions) and the Windows tool under Wine (the real
# ones) must read an install.cfg to the same JSON.
set -euo pipefail
host=$1 win=$2 cfg=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$cfg" "$tmp/install.cfg"
# Exit code 1 says the file has errors; the JSON is printed all the same.
"$host" cfg "$tmp/install.cfg" > "$tmp/host.json" 2> "$tmp/host.err" || [ $? -eq 1 ]
(cd "$tmp" && "$here/cmake/wine-run" "$here/$win" cfg install.cfg) > "$tmp/win.json" 2> "$tmp/win.err" || [ $? -eq 1 ]
tr -d '\r' < "$tmp/win.json" > "$tmp/win.unix.json"
if ! diff -u "$tmp/host.json" "$tmp/win.unix.json"; then
  echo "FAIL: the two builds read $cfg differently"
  exit 1
fi
echo "same JSON from both builds ($(wc -l < "$tmp/host.json") lines)"
