#!/usr/bin/env bash
# Comparative HISTOGRAM, QQPLOT and CDFPLOT in one step, of one variable over L levels
# of one CLASS variable (10 values a level), in template graphics, device graphics and
# with `--graphics none`: CPU time (user + system, the lowest of REPEAT runs, 3 by
# default), which must grow linearly with the levels (a panel looks up only its own
# cells; what every panel shares is found once a graph).
#
#   bench/comp_cells.sh RUNNER [L1 L2]      (default levels: 10000 20000)
#
# Each run is printed as graph_run.sh prints it, then for each of the three the ratio
# of its time at L2 levels to its time at L1 (at most 2.3 for twice the levels), and at
# L1 the ratio of each renderer's time to that of `--graphics none` (at most 8).
# Data and outputs go to a scratch folder that is removed at the end, in memory
# (/dev/shm) when there is one, else under TMPDIR; SCRATCH=DIR chooses another. On a
# disk the file system's system time for thousands of new files varies by seconds with
# what else the machine deletes, and says nothing of the run.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [L1 L2]" >&2; exit 2; }
runner=$(realpath "$1")
l1=${2:-10000}
l2=${3:-20000}
repeat=${REPEAT:-3}
here=$(cd "$(dirname "$0")" && pwd)
scratch=${SCRATCH:-}
[ -n "$scratch" ] || { [ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm; } || scratch=${TMPDIR:-/tmp}
tmp=$(mktemp -d -p "$scratch")
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

source "$here/graph_run.sh"

program="proc kestravine data=d noprint; class g; var x; histogram x; qqplot x; cdfplot x; run;"
declare -A cpu
for l in "$l1" "$l2"; do
  awk -v l="$l" 'BEGIN { print "g,x"; for (i = 0; i < l; i++) for (k = 0; k < 10; k++)
    print "L" i "," (i % 13) + k * 0.37 + (k % 3) * 0.11 }' >d.csv
  for graphics in none template device; do
    best=""
    for ((r = 0; r < repeat; r++)); do
      graph_run "$l levels $graphics" "$graphics" "$program"
      if [ -z "$best" ] || [ "$(echo "$graph_cpu < $best" | bc -l)" = 1 ]; then best=$graph_cpu; fi
    done
    cpu[$graphics,$l]=$best
  done
done

ratio() { printf "%.2f" "$(echo "$1 / $2" | bc -l)"; }
echo
printf "%-10s %12s %12s %18s %22s\n" graphics "cpu $l1" "cpu $l2" "$l2 / $l1 (<= 2.3)" "against none (<= 8)"
for graphics in none template device; do
  against="-"
  [ "$graphics" = none ] || against=$(ratio "${cpu[$graphics,$l1]}" "${cpu[none,$l1]}")
  printf "%-10s %10.2f s %10.2f s %18s %22s\n" "$graphics" "${cpu[$graphics,$l1]}" "${cpu[$graphics,$l2]}" \
    "$(ratio "${cpu[$graphics,$l2]}" "${cpu[$graphics,$l1]}")" "$against"
done
