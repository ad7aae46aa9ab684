#!/usr/bin/env bash
# Lognormal, Weibull and gamma fits in a whole run: the kestravine runner on one
# variable of N distinct positive values read from CSV (10 plus standard normal
# values), with a plain HISTOGRAM x (no curve), once per family with
# HISTOGRAM x / WEIBULL, GAMMA or LOGNORMAL (thresholds 0: fit, EDF tests and tables),
# and once with every curve in one request:
# HISTOGRAM x / NORMAL LOGNORMAL WEIBULL GAMMA KERNEL(C=SJPI).
# Prints the best wall time of REPS runs of each (with that run's user + system CPU
# time) and what the curves add to the plain histogram; the budgets at N = 10^7 are
# 3 s per fit and 2 s for all the curves together.
#
#   bench/fam_run.sh RUNNER [N]   (default N: 10000000; environment: REPS=3, and
#                                  THREADS=k to run with the system option THREADS=k)
set -euo pipefail

source "$(dirname "$0")/whole_run_lib.sh"

curves_setup
report() {  # LABEL "wall cpu" BUDGET
  local w c
  read -r w c <<<"$2"
  printf '%-11s %6.2f s wall (user+sys %6.2f s)  added %6.2f s (budget %s s)\n' "$1" "$w" "$c" \
    "$(echo "$w - $plain" | bc -l)" "$3"
}

read -r plain cpu <<<"$(run_curves plain "")"
printf 'n=%s threads=%s  HISTOGRAM without curves %6.2f s wall (user+sys %6.2f s)\n' "$n" "${THREADS:-all}" "$plain" "$cpu"
for fam in weibull gamma lognormal; do
  r=$(run_curves "$fam" " / $fam")
  grep -qi "Parameters for $fam Distribution" "$tmp/lst" || { echo "no $fam tables" >&2; exit 1; }
  report "$fam" "$r" 3
done
r=$(run_curves all " / normal lognormal weibull gamma kernel(c=sjpi)")
for fam in normal lognormal weibull gamma; do
  grep -qi "Parameters for $fam Distribution" "$tmp/lst" || { echo "no $fam tables in the combined run" >&2; exit 1; }
done
report "all curves" "$r" 2
