#!/usr/bin/env bash
# Peak resident size and wall time of inputs that once grew faster than their size:
# device graphs of many BY groups (each file name was found by trying every number
# from 1), a WHERE= IN list of many numbers (the tokenizer copied the rest of the text
# for every number) and HREF= ranges of many values (each capped, not their total).
#
#   bench/graph_inputs.sh RUNNER [GRAPHS] [IN_VALUES]    (defaults 12000 and 1000000)
#
# Data and outputs go to a scratch folder that is removed at the end.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [GRAPHS] [IN_VALUES]" >&2; exit 2; }
runner=$(realpath "$1")
graphs=${2:-12000}
values=${3:-1000000}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

LABEL_WIDTH=52
source "$here/measure.sh"

# Device graphs: one histogram a BY group, all named KESTRA, KESTRA1, ...
for n in $((graphs / 4)) $((graphs / 2)) "$graphs"; do
  awk -v n="$n" 'BEGIN { print "g,x"; for (g = 0; g < n; g++) for (k = 0; k < 3; k++) print g "," (g % 7) + k }' >by$n.csv
  mkdir -p g$n
  printf 'proc kestravine data=by%s noprint; by g; var x; histogram x; run;\n' "$n" >p.kes
  /usr/bin/time -f "%M %e" -o t "$runner" --graphics device --graphs g$n --log log --listing /dev/null p.kes || true
  read -r kb secs <t
  printf "%-${LABEL_WIDTH}s %8.1f MB %8.2f s   %s files\n" "$n device graphs (BY groups)" "$(echo "$kb / 1024" | bc -l)" \
    "$secs" "$(find g$n -name '*.svg' | wc -l)"
  rm -rf g$n
done

# A WHERE= IN list of many numbers in a data set option.
printf 'x\n1\n2\n3\n' >d.csv
for n in $((values / 4)) $((values / 2)) "$values"; do
  list=$(awk -v n="$n" 'BEGIN { for (i = 0; i < n; i++) printf "%d ", i }')
  measure "WHERE= IN list of $n numbers" "proc kestravine data=d(where=(x in ($list))) noprint; var x; run;"
done

# HREF= ranges: one range of 100,000 values, then 50 of them (refused: the cap is on
# the total of the step's ranges).
measure "HREF= 1 range of 100000 values" \
  "proc kestravine data=d noprint; var x; histogram x / noplot href=1 to 100000 by 1; run;"
ranges=$(awk 'BEGIN { for (i = 0; i < 50; i++) printf "%d to %d by 1 ", i * 100000, (i + 1) * 100000 - 1 }')
measure "HREF= 50 ranges of 100000 values" "proc kestravine data=d noprint; var x; histogram x / href=$ranges; run;"
