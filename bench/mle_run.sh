#!/usr/bin/env bash
# The fits that the maximum-likelihood engine runs, in a whole run: the kestravine
# runner on one variable of N distinct positive values read from CSV (10 plus standard
# normal values), with a plain HISTOGRAM x (no curve), then once per request:
# WEIBULL(THETA=EST), GAMMA(THETA=EST), BETA(THETA=EST SIGMA=EST) and
# SU(FITMETHOD=MLE). Normal values give the Johnson SU likelihood no interior maximum,
# so its row is the engine's longest case: every start runs its whole MAXITER= budget.
# Prints the best wall time of REPS runs of each (with that run's user + system CPU
# time), what the fit adds to the plain histogram and whether a curve was fitted.
#
#   bench/mle_run.sh RUNNER [N]   (default N: 200000; environment: REPS=3, and
#                                  THREADS=k to run with the system option THREADS=k)
set -euo pipefail

set -- "$1" "${2:-200000}"
source "$(dirname "$0")/whole_run_lib.sh"

curves_setup

read -r plain cpu <<<"$(run_curves plain "")"
printf 'n=%s threads=%s  HISTOGRAM without curves %6.2f s wall (user+sys %6.2f s)\n' "$n" "${THREADS:-all}" "$plain" "$cpu"
for req in "weibull(theta=est)" "gamma(theta=est)" "beta(theta=est sigma=est)" "su(fitmethod=mle)"; do
  read -r w c <<<"$(run_curves fit " / $req")"
  fitted=fitted
  grep -qi "Parameters for .* Distribution" "$tmp/lst" || fitted="not fitted"
  printf '%-26s %6.2f s wall (user+sys %6.2f s)  added %6.2f s  %s\n' "$req" "$w" "$c" "$(echo "$w - $plain" | bc -l)" "$fitted"
done
