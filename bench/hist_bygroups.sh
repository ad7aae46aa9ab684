#!/usr/bin/env bash
# Peak resident size and wall time of HISTOGRAM requests over many BY groups: with the
# bins, counts and layout of every group made in that group's pools, the peak must not
# grow with the number of groups. Each size runs without a HISTOGRAM statement, with
# one that opens no output group (CONTENTS=''), with one that does (NOPLOT), and with
# two requests, one writing HistogramBins tables and one asking for a fitted curve, and
# with one request printing two fitted curves' tables and its own bins table.
#
#   bench/hist_bygroups.sh RUNNER [SIZES]      (default sizes: 1000 10000)
#
# Data and outputs go to a scratch folder that is removed at the end.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [SIZES]" >&2; exit 2; }
runner=$(realpath "$1")
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

LABEL_WIDTH=46
source "$here/measure.sh"

for n in "${sizes[@]}"; do
  # Five values a group over a range that moves with the group, one of them missing.
  awk -v n="$n" 'BEGIN { print "g,x"; for (g = 0; g < n; g++) for (k = 0; k < 5; k++)
    print g "," (k == 4 ? "" : (g % 97) + k * 1.5 + (g % 3) * 0.25) }' >by$n.csv
  measure "$n BY groups, no HISTOGRAM" "proc kestravine data=by$n noprint; by g; var x; run;"
  measure "$n BY groups, HISTOGRAM, no output group" \
    "proc kestravine data=by$n noprint; by g; var x; histogram / noplot contents=''; run;"
  measure "$n BY groups, HISTOGRAM / NOPLOT" "proc kestravine data=by$n noprint; by g; var x; histogram / noplot; run;"
  measure "$n BY groups, HISTOGRAM / MIDPERCENTS" \
    "proc kestravine data=by$n noprint; by g; var x; histogram / midpercents; histogram / normal noplot; run;"
  measure "$n BY groups, NORMAL EXPONENTIAL MIDPERCENTS" \
    "proc kestravine data=by$n noprint; by g; var x; histogram x / normal exponential midpercents; run;"
done
