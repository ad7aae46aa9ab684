#!/usr/bin/env bash
# Comparative graphs of each kind over many CLASS levels (10 values a level): HISTOGRAM,
# QQPLOT and CDFPLOT each alone, and the three in one step, at L, 2L and 4L levels,
# in template graphics (GRAPHICS=device for the device): the user time of each (the
# lowest of REPEAT runs, 3 by default: single runs of a fraction of a second vary by a
# tenth on a shared machine), and its ratio per doubling of the levels,
# which must stay at most 2.2 (each page looks only at its own cells; what every page
# shares is found once a graph).
#
#   bench/comp_kinds.sh RUNNER [L]      (default L: 10000, so 10,000, 20,000 and 40,000)
#
# Data and outputs go to a scratch folder that is removed at the end, in memory
# (/dev/shm) when there is one.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [L]" >&2; exit 2; }
runner=$(realpath "$1")
l=${2:-10000}
repeat=${REPEAT:-3}
graphics=${GRAPHICS:-template}
here=$(cd "$(dirname "$0")" && pwd)
scratch=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
tmp=$(mktemp -d -p "$scratch")
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

source "$here/graph_run.sh"

kinds=("histogram x" "qqplot x" "cdfplot x" "histogram x; qqplot x; cdfplot x")
names=(HISTOGRAM QQPLOT CDFPLOT "all three")
declare -A user
levels=("$l" $((2 * l)) $((4 * l)))
for n in "${levels[@]}"; do
  awk -v l="$n" 'BEGIN { print "g,x"; for (i = 0; i < l; i++) for (k = 0; k < 10; k++)
    print "L" i "," (i % 13) + k * 0.37 + (k % 3) * 0.11 }' >d.csv
  for k in "${!kinds[@]}"; do
    best=""
    for ((r = 0; r < repeat; r++)); do
      graph_run "$n levels $graphics: ${names[$k]}" "$graphics" \
        "proc kestravine data=d noprint; class g; var x; ${kinds[$k]}; run;"
      read -r _ _ u _ <t
      if [ -z "$best" ] || [ "$(echo "$u < $best" | bc -l)" = 1 ]; then best=$u; fi
    done
    user[$k,$n]=$best
  done
done

echo
printf "%-12s %10s %10s %10s %12s %12s\n" "user s" "${levels[0]}" "${levels[1]}" "${levels[2]}" "x2 (<=2.2)" "x2 (<=2.2)"
for k in "${!kinds[@]}"; do
  a=${user[$k,${levels[0]}]} b=${user[$k,${levels[1]}]} c=${user[$k,${levels[2]}]}
  printf "%-12s %10.3f %10.3f %10.3f %12.2f %12.2f\n" "${names[$k]}" "$a" "$b" "$c" \
    "$(echo "$b / $a" | bc -l)" "$(echo "$c / $b" | bc -l)"
done
