#!/bin/sh
# runtime_check.exe bad-table throws past an unwind record the unwinder cannot read: the
# program must end with exit code 3 and say why, not vanish.
#   unreadable_table.sh WINE_RUN PROGRAM
out=$("$1" "$2" bad-table 2>&1)
code=$?
echo "$out"
[ "$code" -eq 3 ] || { echo "FAIL exit code $code, not 3"; exit 1; }
echo "$out" | grep -q "a table it needs to handle an error cannot be read" || { echo "FAIL no message"; exit 1; }
echo "ok   ended with its message"
