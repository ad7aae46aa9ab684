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

source "$(dirname "$0")/whole_run_lib.sh"

csv="$data/positive_n$n.csv"
[ -f "$csv" ] || awk -F, 'NR == 1 { print; next } { printf "%.17g\n", $1 + 10 }' "$normal" >"$csv"
member=$(basename "$csv" .csv)

printf 'proc kestravine data=%s;\n  var x;\n  histogram x;\nrun;\n' "$member" >"$tmp/plain.kes"
plain=$(best "$tmp/plain.kes")
printf 'n=%s  HISTOGRAM without curves %6.2f s\n' "$n" "$plain"
for fam in weibull gamma lognormal; do
  printf 'proc kestravine data=%s;\n  var x;\n  histogram x / %s;\nrun;\n' "$member" "$fam" >"$tmp/$fam.kes"
  t=$(best "$tmp/$fam.kes")
  grep -qi "Parameters for $fam Distribution" "$tmp/lst" || { echo "no $fam tables" >&2; exit 1; }
  printf '%-10s %6.2f s  added %6.2f s (budget 3 s)\n' "$fam" "$t" "$(echo "$t - $plain" | bc -l)"
done
