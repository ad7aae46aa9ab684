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

source "$(dirname "$0")/whole_run_lib.sh"
csv=$normal
member=$(basename "$csv" .csv)

printf 'proc kestravine data=%s;\n  var x;\nrun;\n' "$member" >"$tmp/plain.kes"
printf 'proc kestravine data=%s;\n  var x;\n  histogram x / normal exponential(theta=est) midpercents;\nrun;\n' \
  "$member" >"$tmp/hist.kes"
plain=$(best "$tmp/plain.kes")
hist=$(best "$tmp/hist.kes")
grep -q "Quantiles for Exponential Distribution" "$tmp/lst" || { echo "no fitted-distribution tables" >&2; exit 1; }
share=$(echo "100 * ($hist - $plain) / $plain" | bc -l)
printf 'n=%s  without HISTOGRAM %6.2f s  with %6.2f s  added %5.1f %% (budget 25 %%)\n' "$n" "$plain" "$hist" "$share"
