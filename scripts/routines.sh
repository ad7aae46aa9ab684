#!/usr/bin/env bash
# Prints the index of routines: every source file of src/, platform/ and tools/ by
# name, with its path and the line it opens with (what it holds), so that a search
# for what the code does ("inset", "legend") lands in the right file.
#
#   scripts/routines.sh [WORD...]
#
# With words, only the entries holding every word (case-blind, in the name, path or
# opening line) are printed.
set -euo pipefail

cd "$(dirname "$0")/.."
find src platform tools -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.def' -o -name '*.py' \) | sort |
  while IFS= read -r path; do
    first=$(head -n 1 "$path")
    case "$first" in
      '//'*) first=${first#//} ;;
      '#!'*) first=$(sed -n '2{s/^#//;p}' "$path") ;;
      '#'*) first=${first#\#} ;;
      *) first='' ;;
    esac
    name=${path##*/}
    printf '%-24s %-44s %s\n' "${name%.*}" "$path" "${first# }"
  done |
  awk -v words="$*" 'BEGIN { n = split(tolower(words), w, " ") }
    { line = tolower($0); for (i = 1; i <= n; i++) if (index(line, w[i]) == 0) next; print }'
