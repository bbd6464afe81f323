#!/bin/bash
# The setup's work stays apart from its windows: no object file of the work libraries reaches
# the dialogs (ui::Dlg()) through any chain of calls between the objects the programs link,
# unless the chain passes a window's object. Reads the objects' symbols with nm.
#   check_work_apart_from_windows.sh NM WINDOWS PENDING WORK_LIBS... -- OTHER_LIBS...
# WINDOWS: an extended regular expression of the window objects (allowed to ask); PENDING:
# one of the objects still on their way to TSetupPrompts, named until they no longer reach
# the dialogs ("" for none). Work objects are the members of WORK_LIBS that are neither.
set -euo pipefail
nm_tool=$1 windows=$2 pending=$3
shift 3
work=() others=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do work+=("$1"); shift; done
[ $# -gt 0 ] && shift
others=("$@")

{
  for lib in "${work[@]}"; do "$nm_tool" -A "$lib" | sed "s|^|W |"; done
  for lib in "${others[@]}"; do "$nm_tool" -A "$lib" | sed "s|^|O |"; done
} | awk -v windows="$windows" -v pending="$pending" '
  # "W lib.a:member.o:0000 T symbol" or "W lib.a:member.o:         U symbol"
  {
    kind = $1
    line = substr($0, 3)
    split(line, part, ":")
    lib = part[1]; sub(/.*\//, "", lib)
    member = lib ":" part[2]
    rest = substr(line, length(part[1]) + length(part[2]) + 3)
    n = split(rest, f, " ")
    if (n < 2) next
    type = f[n - 1]; symbol = f[n]
    if (!(member in seen)) {
      seen[member] = 1
      short = part[2]; sub(/\.o(bj)?$/, "", short)
      if (short ~ windows) window[member] = 1
      else if (pending != "" && short ~ pending) held[member] = 1
      else if (kind == "W") start[++starts] = member
    }
    if (type == "U") uses[member] = uses[member] " " symbol
    else if (type ~ /^[A-Z]$/) defines[symbol] = defines[symbol] " " member
  }
  # Breadth first from each work object; window objects end a chain.
  function reaches(from, target,    queue, head, tail, at, i, j, n, m, syms, defs, via) {
    delete via
    head = 1; tail = 1; queue[1] = from; via[from] = ""
    while (head <= tail) {
      at = queue[head++]
      if (at != from && (at in window || at in held)) continue
      n = split(uses[at], syms, " ")
      for (i = 1; i <= n; i++) {
        if (syms[i] == target) { path = via[at] " -> " at; return 1 }
        m = split(defines[syms[i]], defs, " ")
        for (j = 1; j <= m; j++)
          if (!(defs[j] in via)) { via[defs[j]] = via[at] " -> " at; queue[++tail] = defs[j] }
      }
    }
    return 0
  }
  END {
    dlg = "_ZN3zov2ui3DlgEv"
    if (!(dlg in defines)) { print "the dialogs (" dlg ") are in none of the libraries given"; exit 2 }
    bad = 0
    for (k = 1; k <= starts; k++)
      if (reaches(start[k], dlg)) { print "reaches ui::Dlg():" path; bad = 1 }
    for (member in held) {
      if (!reaches(member, dlg)) { print member ": no longer reaches ui::Dlg(): take it off the pending list"; bad = 1 }
    }
    if (!bad) printf "%d work objects, none reaches ui::Dlg()\n", starts
    exit bad
  }'
