#!/usr/bin/env bash
# Checks every static import of the given Windows programs against the table of first Windows
# versions: an import missing from the table, or one that needs a Windows newer than
# Windows 98 SE / NT 4.0, fails. Also lists the imports that stand between each program and
# Windows 95.
#
#   tests/imports/check_imports.sh TABLE PROGRAM.exe...
#
# OBJDUMP names the objdump that reads 32-bit PE files (default i686-w64-mingw32-objdump).
set -euo pipefail
table=$1
shift
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
fail=0
for program in "$@"; do
  [ -f "$program" ] || { echo "FAIL $program: no such program"; fail=1; continue; }
  # One "DLL function" line per import.
  imports=$("$objdump" -p "$program" | awk '
    /^\tDLL Name: / { dll = $3; next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+  [^ ]+$/ { print dll, $3; next }
    /^$/ { dll = "" }')
  [ -n "$imports" ] || { echo "FAIL $program: no imports found"; fail=1; continue; }
  echo "== $(basename "$program"): $(stat -c %s "$program") bytes, $(wc -l <<<"$imports") imports"
  awk -v program="$(basename "$program")" '
    function nt_rank(v) {
      sub(/\+.*/, "", v)
      return (v in NT) ? NT[v] : 99
    }
    function x9_rank(v) {
      sub(/\+.*/, "", v)
      return (v in X9) ? X9[v] : 99
    }
    BEGIN {
      n = split("3.1 3.5 3.51 4.0 4.0sp4 2000 xp xpsp1 xpsp2 xpsp3 vista 7 8 10", v, " ")
      for (i = 1; i <= n; i++) NT[v[i]] = i
      n = split("95 95-stub 98 98se me", v, " ")
      for (i = 1; i <= n; i++) X9[v[i]] = i
      X9["none"] = 99
    }
    FNR == NR {
      if ($0 ~ /^#/ || NF == 0) next
      key = tolower($1) " " $2
      nt[key] = $3; x9[key] = $4; src[key] = $5
      next
    }
    {
      key = tolower($1) " " $2
      name = $1 " " $2
      if (!(key in nt)) { print "FAIL " name ": not in the table"; bad = 1; next }
      if (nt_rank(nt[key]) > NT["xpsp3"]) {
        print "FAIL " name ": needs Windows NT " nt[key] " (" src[key] ")"; bad = 1; next
      }
      why = ""
      if (nt_rank(nt[key]) > NT["4.0"]) why = why " NT " nt[key]
      if (x9_rank(x9[key]) > X9["98se"]) why = why " 9x " x9[key]
      if (nt[key] ~ /\+/) why = why " NT " nt[key]
      if (why != "") note("goal", $1 ":" why " (" src[key] ")", $2)
      if (x9_rank(x9[key]) > X9["95-stub"] || x9[key] ~ /\+/)
        note("w95", $1 ": 9x " x9[key] " (" src[key] ")", $2)
    }
    # Imports that stand in the way for the same reason are listed on one line.
    function note(list, reason, function_name) {
      if (!((list, reason) in names)) order[list, ++count[list]] = reason
      names[list, reason] = names[list, reason] " " function_name
    }
    function report(list, floor,   i, reason) {
      if (count[list] == 0) { print "nothing stands between " program " and " floor; return }
      print "between " program " and " floor ":"
      for (i = 1; i <= count[list]; i++) {
        reason = order[list, i]
        print "  " reason ":" names[list, reason]
      }
    }
    END {
      report("goal", "Windows 98 SE / NT 4.0")
      # The programs need nothing newer than Windows 98 SE and NT 4.0: anything else is
      # looked up at run time.
      if (count["goal"] > 0) bad = 1
      report("w95", "Windows 95")
      exit bad
    }' "$table" - <<<"$imports" || fail=1
  # Information: instructions that need a Pentium Pro, which the prebuilt run-time library
  # has (the programs' own code is built for the 486).
  i686=$("$objdump" -d "$program" | grep -cE $'\t(cmov[a-z]+|fcmov[a-z]+|f(u)?comip?) ' || true)
  echo "$i686 instructions need a Pentium Pro (conditional moves and compares)"
done
exit $fail
