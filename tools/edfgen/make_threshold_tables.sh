#!/usr/bin/env bash
# Makes the Weibull tables of the estimated threshold (sets 4 to 7) anew with the fits
# the module has now: simulates every grid point once (seed 2036, every replicate kept),
# fits the tables' form to the points' quantiles, calibrates the sets with the shape
# estimated (6 and 7) at the fitted shape from the same replicates, writes the tables
# to src/fitreport/edf_tables/weibull.edf and their checks in place of the Weibull
# checks of tools/edfgen/checks.txt. Rerun it whenever the Weibull threshold fits change.
#
#   tools/edfgen/make_weibull_tables.sh EDFGEN WORKDIR [JOBS] [REPS]
#
# The grid is cut into one part per true shape (11 sample sizes), JOBS of them at a
# time, each on one core; resumable: a part already done is skipped. With REPS 20000
# a part is 220,000 fits; with JOBS 4 on a machine busy with other builds the 40 parts
# took 39 minutes, the calibrations 4 and the checks 6.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 EDFGEN WORKDIR [JOBS] [REPS]" >&2; exit 2; }
edfgen=$(realpath "$1")
work=$2
jobs=${3:-4}
reps=${4:-20000}
src=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$work"
cd "$work"

# One part per shape of the grid (10 shapes of 11 sample sizes); the sets whose
# tables are calibrated at the fitted shape first.
parts=()
for set in 7 6 4 5; do
  for s in $(seq 0 9); do parts+=("$set $((s * 11)) $((s * 11 + 11))"); done
done
run_part() {  # set from to
  local tag="w$1_$2"
  [ -f "done_$tag" ] && return 0
  rm -f "raw_$tag.bin"
  nice -n 19 "$edfgen" sim --family weibull --set "$1" --from "$2" --to "$3" --reps "$reps" --seed 2036 \
    --threads 1 --out "part_$tag.txt" --raw "raw_$tag.bin" > "log_$tag.txt"
  touch "done_$tag"
}
export -f run_part
export edfgen reps
printf '%s\n' "${parts[@]}" | xargs -P "$jobs" -L 1 bash -c 'run_part "$@"' _

"$edfgen" fit --family weibull --out weibull_fit.edf part_w*.txt
# Sets 6 and 7 at the fitted shape: shift and refit, then rounds focused on the points
# still off (the form cannot follow every point).
"$edfgen" calibrate --family weibull --set 7 --tables weibull_fit.edf --rounds 10 --threads "$jobs" \
  --out weibull_c7.edf raw_w7_*.bin > calibrate_7.txt
"$edfgen" calibrate --family weibull --set 6 --tables weibull_c7.edf --rounds 10 --threads "$jobs" \
  --out weibull_c6.edf raw_w6_*.bin > calibrate_6.txt
"$edfgen" calibrate --family weibull --set 6 --tables weibull_c6.edf --rounds 12 --focus 1 --threads "$jobs" \
  --out weibull_f6.edf raw_w6_*.bin > calibrate_f6.txt
"$edfgen" calibrate --family weibull --set 7 --tables weibull_f6.edf --rounds 12 --focus 1 --threads "$jobs" \
  --out weibull.edf raw_w7_*.bin > calibrate_f7.txt
cp weibull.edf "$src/src/fitreport/edf_tables/weibull.edf"

# The checks of tools/edfgen/make_tables.sh for these tables, in place of their old
# blocks (each block starts at its "# edfgen" line).
{
  "$edfgen" check-tables --family weibull --tables weibull.edf || true
  for set in 4 5 6 7; do
    nice -n 19 "$edfgen" coverage --family weibull --set $set --tables weibull.edf --reps 4000 --seed 5099 \
      --threads "$jobs" || true
  done
} > checks_weibull.txt
checks="$src/tools/edfgen/checks.txt"
awk '/^# edfgen / { skip = /^# edfgen (check-tables|coverage) .*--family weibull / } !skip' "$checks" > checks_other.txt
cat checks_other.txt checks_weibull.txt > "$checks"
