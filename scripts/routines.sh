#!/usr/bin/env bash
# Prints the index of routines: every source file of src/, platform/ and tools/ by
# name, with its path and the line it opens with (what it holds), so that a search
# for what the code does ("inset", "legend") lands in the right file.
#
#   scripts/routines.sh [WORD...]
#
# With words, only the entries holding every word (case-blind, in the name, the path
# or anywhere in the file's opening comment, not only its first line) are printed.
set -euo pipefail

cd "$(dirname "$0")/.."
find src platform tools -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.def' -o -name '*.py' \) -print0 |
  sort -z |
  xargs -0 awk -v words="$*" '
    BEGIN { n = split(tolower(words), want, " ") }
    # The opening comment: the // lines at the top of a C++ file; after a Python
    # file'"'"'s #! line, its # lines or its docstring.
    function entry(   name, base, hay, i) {
      if (path == "") return
      base = path; sub(/.*\//, "", base)
      name = base; sub(/\.[^.]*$/, "", name)
      hay = tolower(name " " path " " text)
      for (i = 1; i <= n; i++) if (index(hay, want[i]) == 0) return
      printf "%-24s %-44s %s\n", name, path, first
    }
    function add(line) {
      sub(/^[ \t]+/, "", line)
      if (first == "" && line != "") first = line
      text = text " " line
    }
    FNR == 1 { entry(); path = FILENAME; py = path ~ /\.py$/; state = "top"; first = ""; text = "" }
    state == "done" { next }
    state == "doc" {
      line = $0
      if (index(line, "\"\"\"")) { sub(/""".*/, "", line); state = "done" }
      add(line)
      next
    }
    py && FNR == 1 && /^#!/ { next }
    !py && /^\/\// { line = $0; sub(/^\/\/+/, "", line); add(line); state = "in"; next }
    py && /^#/ { line = $0; sub(/^#+/, "", line); add(line); state = "in"; next }
    py && state == "top" && /^[ \t]*"""/ {
      line = $0; sub(/^[ \t]*"""/, "", line)
      if (index(line, "\"\"\"")) { sub(/""".*/, "", line); state = "done" } else state = "doc"
      add(line)
      next
    }
    { state = "done" }
    END { entry() }'
