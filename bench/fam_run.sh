#!/usr/bin/env bash
# Lognormal, Weibull and gamma fits in a whole run: the kestravine runner on one
# variable of N distinct positive values read from CSV (10 plus standard normal
# values), with a plain HISTOGRAM x (no curve) and once per family with
# HISTOGRAM x / WEIBULL, GAMMA or LOGNORMAL (thresholds 0: fit, EDF tests and tables).
# Prints the best wall time of REPS runs of each and what each fit adds to the plain
# histogram; the budget is 3 s per fit at N = 10^7.
#
#   bench/fam_run.sh RUNNER [N]     (default N: 10000000; environment: REPS=3)
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

normal="$data/normal_n$n.csv"
if [ ! -f "$normal" ]; then
  g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$tmp/make_normal_csv"
  "$tmp/make_normal_csv" "$normal" "$n" >/dev/null
fi
csv="$data/positive_n$n.csv"
[ -f "$csv" ] || awk -F, 'NR == 1 { print; next } { printf "%.17g\n", $1 + 10 }' "$normal" >"$csv"
member=$(basename "$csv" .csv)

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

printf 'proc kestravine data=%s;\n  var x;\n  histogram x;\nrun;\n' "$member" >"$tmp/plain.kes"
plain=$(best "$tmp/plain.kes")
printf 'n=%s  HISTOGRAM without curves %6.2f s\n' "$n" "$plain"
for fam in weibull gamma lognormal; do
  printf 'proc kestravine data=%s;\n  var x;\n  histogram x / %s;\nrun;\n' "$member" "$fam" >"$tmp/$fam.kes"
  t=$(best "$tmp/$fam.kes")
  grep -qi "Parameters for $fam Distribution" "$tmp/lst" || { echo "no $fam tables" >&2; exit 1; }
  printf '%-10s %6.2f s  added %6.2f s (budget 3 s)\n' "$fam" "$t" "$(echo "$t - $plain" | bc -l)"
done
