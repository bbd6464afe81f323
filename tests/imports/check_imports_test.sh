#!/usr/bin/env bash
# The import check itself: it passes the program against the real table and fails it
# against tables that lack one of its imports or date one after Windows 98 SE / NT 4.0.
#
#   tests/imports/check_imports_test.sh TABLE PROGRAM.exe
set -uo pipefail
here=$(dirname "$0")
table=$1 program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
expect() {  # DESCRIPTION WANTED-STATUS PATTERN TABLE
  local out status
  out=$(bash "$here/check_imports.sh" "$4" "$program" 2>&1)
  status=$?
  if [ "$status" -ne "$2" ] || ! grep -qE "$3" <<<"$out"; then
    echo "FAIL $1 (status $status)"
    echo "$out"
    fail=1
  else
    echo "ok   $1"
  fi
}
edit() {  # FUNCTION SED-EXPRESSION: a copy of the table with the function's row edited
  sed -E "/^KERNEL32\.dll +$1 /$2" "$table" >"$work/table"
  echo "$work/table"
}
expect "the real table passes" 0 "^between|^nothing stands" "$table"
expect "an import missing from the table fails" 1 "FAIL KERNEL32.dll ReadFile: not in the table" \
  "$(edit ReadFile d)"
expect "an import newer than XP SP3 fails" 1 "FAIL KERNEL32.dll ReadFile: needs Windows NT vista" \
  "$(edit ReadFile 's/ 3\.1 / vista /')"
expect "an import newer than NT 4.0 fails and is named" 1 "KERNEL32.dll: NT 2000 \(sdk\):.* ReadFile" \
  "$(edit ReadFile 's/ 3\.1 / 2000 /')"
expect "an import missing on 98 fails and is named" 1 "KERNEL32.dll: 9x none \(sdk\):.* ReadFile" \
  "$(edit ReadFile 's/ 95 / none /')"
exit $fail
