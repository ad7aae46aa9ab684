#!/usr/bin/env bash
# Makes the tables of a family's sets with the threshold estimated (Weibull 4 to 7,
# lognormal 4, 5, 6, 61 and 7, gamma 4 to 7) anew with the fits the module has now:
# simulates every grid point once (seed 2036, every replicate kept), fits the tables'
# form to the points' quantiles, calibrates the sets with the shape estimated (7 and 6;
# the lognormal's 61, shapes 1 to 3, stays as fitted: its calibration bent the tables
# past the grid's largest shape) at the fitted shape from the same replicates, writes the tables into
# src/fitreport/edf_tables/FAMILY.edf (the family's other sets kept) and their checks
# in place of the family's checks of the estimated threshold in tools/edfgen/checks.txt.
# Rerun it for a family whenever its threshold fits change.
#
#   [COVREPS=N] tools/edfgen/make_threshold_tables.sh FAMILY EDFGEN WORKDIR [JOBS] [REPS]
#
# COVREPS: the samples a grid point of the coverage checks (4000).
#
# The grid is cut into one part per true shape (11 sample sizes), JOBS of them at a
# time, each on one core; resumable: a part already done is skipped. With REPS 20000
# a part is 220,000 fits; with JOBS 4 on a machine busy with other builds the 40
# Weibull parts took 39 minutes, the calibrations 4 and the checks 6. The lognormal
# and gamma tables of the profile fits were made with REPS 12000 (83 and 36 parts).
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: $0 FAMILY EDFGEN WORKDIR [JOBS] [REPS]" >&2; exit 2; }
family=$1
edfgen=$(realpath "$2")
work=$3
jobs=${4:-4}
reps=${5:-20000}
src=$(cd "$(dirname "$0")/../.." && pwd)
case $family in
  weibull) sets="7 6 4 5" calibrated="7 6" ;;
  lognormal) sets="7 6 61 4 5" calibrated="7 6" ;;
  gamma) sets="7 6 4 5" calibrated="7 6" ;;
  *) echo "$0: FAMILY is weibull, lognormal or gamma" >&2; exit 2 ;;
esac
shapes() {  # set: the true shapes of its grid
  case $family/$1 in
    weibull/*) echo 10 ;;
    gamma/*) echo 9 ;;
    lognormal/6 | lognormal/61) echo 7 ;;
    lognormal/*) echo 13 ;;
  esac
}
mkdir -p "$work"
cd "$work"

# One part per shape of the grid (11 sample sizes each); the sets whose tables are
# calibrated at the fitted shape first.
parts=()
for set in $sets; do
  for s in $(seq 0 $(($(shapes "$set") - 1))); do parts+=("$set $((s * 11)) $((s * 11 + 11))"); done
done
run_part() {  # set from to
  local tag="${family:0:1}$1_$2"
  [ -f "done_$tag" ] && return 0
  rm -f "raw_$tag.bin"
  nice -n 19 "$edfgen" sim --family "$family" --set "$1" --from "$2" --to "$3" --reps "$reps" --seed 2036 \
    --threads 1 --out "part_$tag.txt" --raw "raw_$tag.bin" > "log_$tag.txt"
  touch "done_$tag"
}
export -f run_part
export edfgen reps family
printf '%s\n' "${parts[@]}" | xargs -P "$jobs" -L 1 bash -c 'run_part "$@"' _

f=${family:0:1}
tables="$src/src/fitreport/edf_tables/$family.edf"
# The sets of the known threshold (gamma's 1 to 3) come from the tables as they are.
"$edfgen" fit --family "$family" --base "$tables" --out "${family}_fit.edf" part_${f}*.txt
# The sets of the shape estimated at the fitted shape: shift and refit, then rounds
# focused on the points still off (the form cannot follow every point).
last="${family}_fit.edf"
for focus in 0 1; do
  for set in $calibrated; do
    rounds=$((10 + 2 * focus))
    "$edfgen" calibrate --family "$family" --set "$set" --tables "$last" --rounds $rounds --focus $focus \
      --threads "$jobs" --out "${family}_c${set}_$focus.edf" raw_${f}${set}_*.bin > "calibrate_${set}_$focus.txt"
    last="${family}_c${set}_$focus.edf"
  done
done
cp "$last" "$family.edf"
cp "$family.edf" "$tables"

# The checks of tools/edfgen/make_tables.sh for these tables, in place of their old
# blocks (each block starts at its "# edfgen" line).
{
  "$edfgen" check-tables --family "$family" --tables "$family.edf" || true
  for set in $sets; do
    nice -n 19 "$edfgen" coverage --family "$family" --set "$set" --tables "$family.edf" --reps "${COVREPS:-4000}" --seed 5099 \
      --threads "$jobs" || true
  done
} > "checks_$family.txt"
checks="$src/tools/edfgen/checks.txt"
pattern="--family $family --set ($(echo $sets | tr ' ' '|')) "
awk -v fam="$family" -v pat="$pattern" '
  /^# edfgen / { skip = ($0 ~ ("^# edfgen check-tables .*--family " fam " ")) || ($0 ~ ("^# edfgen coverage .*" pat)) }
  !skip' "$checks" > "checks_other_$family.txt"
cat "checks_other_$family.txt" "checks_$family.txt" > "$checks"
