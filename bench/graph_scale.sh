#!/usr/bin/env bash
# Graphs of any number of values: the program with HISTOGRAM, QQPLOT and CDFPLOT of one
# variable of N distinct normal values, in template and in device graphics, against the
# same program with the HISTOGRAM statement alone: wall time, peak resident size, the
# size of each SVG file and the time rsvg-convert takes to draw it (when installed).
#
#   bench/graph_scale.sh RUNNER [SIZES]      (default sizes: 100000 1000000 10000000)
#
# MAKE_CSV names a built bench/make_normal_csv.cpp (made in the scratch folder when
# not given). Data and outputs go to a scratch folder that is removed at the end.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [SIZES]" >&2; exit 2; }
runner=$(realpath "$1")
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000 10000000)
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
make_csv=${MAKE_CSV:-}
if [ -z "$make_csv" ]; then
  g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$tmp/make_normal_csv"
  make_csv=$tmp/make_normal_csv
fi
cd "$tmp"

GRAPH_FILES=1
source "$here/graph_run.sh"

for n in "${sizes[@]}"; do
  "$make_csv" big.csv "$n" x >/dev/null
  for graphics in template device; do
    graph_run "$n $graphics: HISTOGRAM alone" "$graphics" \
      "proc kestravine data=big noprint; var x; histogram x / normal kernel; run;"
    graph_run "$n $graphics: HISTOGRAM QQPLOT CDFPLOT" "$graphics" \
      "proc kestravine data=big noprint; var x; histogram x / normal kernel;
       qqplot x / normal(mu=est sigma=est); cdfplot x / normal; run;"
  done
done
