#!/usr/bin/env bash
# Comparative graphs of many CLASS levels: HISTOGRAM and CDFPLOT of one variable over
# L levels of one CLASS variable (20 values a level), in template and in device
# graphics: wall time and peak resident size, which must grow linearly in the levels
# (each panel draws its own cells; the rows are found by cell once per graph).
#
#   bench/comp_levels.sh RUNNER [LEVELS]      (default levels: 250 500 1000 2000)
#
# Data and outputs go to a scratch folder that is removed at the end.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [LEVELS]" >&2; exit 2; }
runner=$(realpath "$1")
shift
levels=("$@")
[ ${#levels[@]} -gt 0 ] || levels=(250 500 1000 2000)
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

source "$here/graph_run.sh"

for l in "${levels[@]}"; do
  awk -v l="$l" 'BEGIN { print "g,x"; for (i = 0; i < l; i++) for (k = 0; k < 20; k++)
    print "L" i "," (i % 13) + k * 0.37 + (k % 3) * 0.11 }' >d.csv
  for graphics in template device; do
    graph_run "$l levels $graphics: HISTOGRAM" "$graphics" "proc kestravine data=d noprint; class g; var x; histogram x; run;"
    graph_run "$l levels $graphics: CDFPLOT" "$graphics" "proc kestravine data=d noprint; class g; var x; cdfplot x; run;"
  done
done
