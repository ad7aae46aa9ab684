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

csv="$data/positive_n$n.csv"
[ -f "$csv" ] || awk -F, 'NR == 1 { print; next } { printf "%.17g\n", $1 + 10 }' "$normal" >"$csv"
member=$(basename "$csv" .csv)
sysopt=()
[ -n "${THREADS:-}" ] && sysopt=(-o "THREADS=$THREADS")

# run NAME CURVES: writes the program, prints "wall user+sys" of the best of REPS runs.
run() {
  printf 'proc kestravine data=%s;\n  var x;\n  histogram x%s;\nrun;\n' "$member" "$2" >"$tmp/$1.kes"
  local b= c= w u s
  for _ in $(seq "$reps"); do
    /usr/bin/time -f "%e %U %S" -o "$tmp/time" "$runner" "${sysopt[@]}" --graphs "$tmp" --work "$data" --listing "$tmp/lst" \
      --log "$tmp/log" "$tmp/$1.kes" || { echo "the run of $1 failed:" >&2; cat "$tmp/log" >&2; exit 1; }
    read -r w u s <"$tmp/time"
    if [ -z "$b" ] || [ "$(echo "$w < $b" | bc -l)" = 1 ]; then b=$w; c=$(echo "$u + $s" | bc -l); fi
  done
  echo "$b $c"
}

read -r plain cpu <<<"$(run plain "")"
printf 'n=%s threads=%s  HISTOGRAM without curves %6.2f s wall (user+sys %6.2f s)\n' "$n" "${THREADS:-all}" "$plain" "$cpu"
for req in "weibull(theta=est)" "gamma(theta=est)" "beta(theta=est sigma=est)" "su(fitmethod=mle)"; do
  read -r w c <<<"$(run fit " / $req")"
  fitted=fitted
  grep -qi "Parameters for .* Distribution" "$tmp/lst" || fitted="not fitted"
  printf '%-26s %6.2f s wall (user+sys %6.2f s)  added %6.2f s  %s\n' "$req" "$w" "$c" "$(echo "$w - $plain" | bc -l)" "$fitted"
done
