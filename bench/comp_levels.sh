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
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

run() {  # LABEL GRAPHICS PROGRAM
  rm -rf g && mkdir g
  printf '%s\n' "$3" >p.kes
  /usr/bin/time -f "%M %e" -o t "$runner" --graphics "$2" --graphs g --log log --listing /dev/null p.kes || true
  read -r kb secs <t
  printf "%-40s %8.1f MB %8.2f s   %6d files   %s\n" "$1" "$(echo "$kb / 1024" | bc -l)" "$secs" \
    "$(find g -name '*.svg' | wc -l)" "$(grep -o 'return code [0-9]*' log | tail -1)"
}

for l in "${levels[@]}"; do
  awk -v l="$l" 'BEGIN { print "g,x"; for (i = 0; i < l; i++) for (k = 0; k < 20; k++)
    print "L" i "," (i % 13) + k * 0.37 + (k % 3) * 0.11 }' >d.csv
  for graphics in template device; do
    run "$l levels $graphics: HISTOGRAM" "$graphics" "proc kestravine data=d noprint; class g; var x; histogram x; run;"
    run "$l levels $graphics: CDFPLOT" "$graphics" "proc kestravine data=d noprint; class g; var x; cdfplot x; run;"
  done
done
