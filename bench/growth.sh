#!/usr/bin/env bash
# Growth with BY groups, CLASS levels and columns: peak resident size and wall time
# of the runner for each, so that memory per group or level and time per column can
# be read off two sizes.
#
#   bench/growth.sh RUNNER [BY_GROUPS] [CLASS_LEVELS] [COLUMNS]
#
# Each count may be a comma-separated list (10000,100000,1000000), one run per count;
# 0 skips that run. Defaults: 10^6 BY groups, 10^6 CLASS levels, 10^5 columns. Data
# and outputs go to a scratch folder that is removed at the end.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [BY_GROUPS] [CLASS_LEVELS] [COLUMNS]" >&2; exit 2; }
runner=$(realpath "$1")
groups=${2:-1000000}
levels=${3:-1000000}
columns=${4:-100000}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

source "$here/measure.sh"

for n in ${groups//,/ }; do
  [ "$n" -gt 0 ] || continue
  awk -v n="$n" 'BEGIN { print "g,x"; for (g = 0; g < n; g++) for (k = 0; k < 3; k++) print g "," (g * 7 + k * 3) % 11 }' >by.csv
  measure "$n printed BY groups" "proc kestravine data=by; by g; var x; run;"
done
for n in ${levels//,/ }; do
  [ "$n" -gt 0 ] || continue
  awk -v n="$n" 'BEGIN { print "c,x"; for (c = 0; c < n; c++) print c "," c % 7 }' >class.csv
  measure "$n CLASS levels, NOPRINT" "proc kestravine data=class noprint; class c; var x; run;"
done
for n in ${columns//,/ }; do
  [ "$n" -gt 0 ] || continue
  awk -v n="$n" 'BEGIN { for (r = 0; r < 3; r++) { s = ""; for (j = 1; j <= n; j++) s = s (j > 1 ? "," : "") (r == 0 ? "x" j : (j * (r + 2)) % 10); print s } }' >wide.csv
  measure "open $n columns" "proc kestravine data=wide noprint; var x1; run;"
  measure "open $n columns, VAR x1-x$n" "proc kestravine data=wide noprint; var x1-x$n; run;"
done
