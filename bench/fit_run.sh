#!/usr/bin/env bash
# Fitted-curve benchmark: the kestravine runner on one variable of N distinct standard
# normal values read from CSV, once with only the default statistics and once with
# HISTOGRAM x / NORMAL EXPONENTIAL(THETA=EST) MIDPERCENTS added (bins, both fits, their EDF tests
# and every fitted-distribution table; the threshold is estimated so that the
# exponential curve fits the normal values too). Prints the wall time of each (best of REPS
# runs) and the share the histogram adds; the budget is 25 %.
#
#   bench/fit_run.sh RUNNER [N]     (default N: 10000000; environment: REPS=3)
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 RUNNER [N]" >&2; exit 2; }
runner=$(realpath "$1")
n=${2:-10000000}
reps=${REPS:-3}
[[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "$0: N must be a positive whole number, not '$n'" >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
data="$here/data"
mkdir -p "$data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

csv="$data/normal_n$n.csv"
[ "$n" = 10000000 ] && [ -f "$data/normal_1e7.csv" ] && csv="$data/normal_1e7.csv"
if [ ! -f "$csv" ]; then
  g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$tmp/make_normal_csv"
  "$tmp/make_normal_csv" "$csv" "$n" >/dev/null
fi
member=$(basename "$csv" .csv)

# Best wall time of REPS runs of the program in $1.
best() {
  local b=
  for _ in $(seq "$reps"); do
    /usr/bin/time -f "%e" -o "$tmp/time" "$runner" --work "$data" --listing "$tmp/lst" --log "$tmp/log" "$1" || {
      echo "the run of $1 failed:" >&2
      cat "$tmp/log" >&2
      exit 1
    }
    local t
    t=$(cat "$tmp/time")
    if [ -z "$b" ] || [ "$(echo "$t < $b" | bc -l)" = 1 ]; then b=$t; fi
  done
  echo "$b"
}

printf 'proc kestravine data=%s;\n  var x;\nrun;\n' "$member" >"$tmp/plain.kes"
printf 'proc kestravine data=%s;\n  var x;\n  histogram x / normal exponential(theta=est) midpercents;\nrun;\n' \
  "$member" >"$tmp/hist.kes"
plain=$(best "$tmp/plain.kes")
hist=$(best "$tmp/hist.kes")
grep -q "Quantiles for Exponential Distribution" "$tmp/lst" || { echo "no fitted-distribution tables" >&2; exit 1; }
share=$(echo "100 * ($hist - $plain) / $plain" | bc -l)
printf 'n=%s  without HISTOGRAM %6.2f s  with %6.2f s  added %5.1f %% (budget 25 %%)\n' "$n" "$plain" "$hist" "$share"
