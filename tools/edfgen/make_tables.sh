#!/usr/bin/env bash
# Makes the EDF coefficient tables and their checks as committed: simulates every
# family and set (resumable: a set whose part file is complete is skipped), fits
# the tables, calibrates the sets with the threshold and shape estimated at the
# fitted shape (a second, larger simulation keeping every replicate), calibrates
# again where points stayed off (a third simulation, larger where they were off),
# writes them to src/fitreport/edf_tables and the checks to tools/edfgen/checks.txt.
#
#   tools/edfgen/make_tables.sh EDFGEN WORKDIR [THREADS]
#
# The tables of the estimated threshold (Weibull, lognormal and gamma) are remade with
# today's fits by tools/edfgen/make_threshold_tables.sh (as committed), which replaces
# their checks.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 EDFGEN WORKDIR [THREADS]" >&2; exit 2; }
edfgen=$(realpath "$1")
work=$2
threads=${3:-5}
src=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$work"
cd "$work"

# Order: the default gamma case first, then the estimated thresholds.
sets=("gamma 3" "weibull 7" "lognormal 7" "weibull 4" "weibull 5" "weibull 6" "lognormal 4" "lognormal 5"
      "lognormal 6" "lognormal 61" "gamma 1" "gamma 2" "gamma 4" "gamma 5" "gamma 6" "gamma 7")
for fs in "${sets[@]}"; do
  set -- $fs
  [ -f "done_$1_$2" ] && continue
  nice -n 19 "$edfgen" sim --family "$1" --set "$2" --reps 20000 --seed 2026 --threads "$threads" \
    --out "part_$1_$2.txt" >> "log_$1_$2.txt"
  touch "done_$1_$2"
done

for f in gamma lognormal weibull; do
  "$edfgen" fit --family $f --out $f.edf part_${f}_*.txt $(ls part2_${f}_*.txt 2>/dev/null)
done

# The sets whose fitted shape strays far from the true one: calibrated at the fitted
# shape from raw replicates (raw files of 100-300 MB, kept out of the repository).
calibrated=("weibull 7 60000" "weibull 6 60000" "gamma 7 20000" "gamma 6 12000")
for fsr in "${calibrated[@]}"; do
  set -- $fsr
  if [ ! -f "done3_$1_$2" ]; then
    rm -f "raw3_$1_$2.bin"
    nice -n 19 "$edfgen" sim --family "$1" --set "$2" --reps "$3" --seed 2036 --threads "$threads" \
      --out "part3_$1_$2.txt" --raw "raw3_$1_$2.bin" >> "log3_$1_$2.txt"
    touch "done3_$1_$2"
  fi
  "$edfgen" calibrate --family "$1" --set "$2" --tables "$1.edf" --rounds 10 --threads "$threads" \
    --out "$1.edf" "raw3_$1_$2.bin" >> "calibrate_$1_$2.txt"
done

# Second stage: raw replicates again from seed 2036 (each point's first replicates are
# the first stage's), more of them where the first stage left points off, where the
# least data are and at the points that settle the r0 rows; calibration focused on the
# points off where the form cannot follow every point. An entry: family, set, rounds,
# focus, replicates a point, then ranges of the grid at more replicates (FROM:TO:REPS).
# A range's raw file comes first, so its points count with their larger number.
g6small="0:3:200000 11:14:200000 22:25:200000 33:36:200000 44:47:200000 55:58:200000 66:69:200000 77:80:200000 88:91:200000"
stage2=("gamma 6 10 0 60000 $g6small" "gamma 6 15 1 60000 $g6small" "gamma 4 12 1 40000"
        "gamma 7 10 0 60000 85:88:240000 96:99:240000"
        "weibull 6 12 1 60000 9:11:180000 20:22:180000 31:33:180000"
        "weibull 7 12 1 60000 42:44:180000 53:55:180000 64:66:180000 75:77:180000")
raw4() {  # family set from to reps: simulates once, prints the raw file
  local r="raw4_$1_$2_$3_$4_$5.bin"
  if [ ! -f "done4_$1_$2_$3_$4_$5" ]; then
    rm -f "$r"
    nice -n 19 "$edfgen" sim --family "$1" --set "$2" --from "$3" --to "$4" --reps "$5" --seed 2036 \
      --threads "$threads" --out "part4_$1_$2_$3_$4_$5.txt" --raw "$r" >> "log4_$1_$2.txt"
    touch "done4_$1_$2_$3_$4_$5"
  fi
  echo "$r"
}
for entry in "${stage2[@]}"; do
  set -- $entry
  f=$1 k=$2 rounds=$3 focus=$4 reps=$5
  shift 5
  raws=()
  for range in "$@"; do
    IFS=: read -r from to more <<< "$range"
    raws+=("$(raw4 $f $k $from $to $more)")
  done
  case $f in gamma) size=99 ;; weibull) size=110 ;; esac
  raws+=("$(raw4 $f $k 0 $size $reps)")
  "$edfgen" calibrate --family $f --set $k --tables $f.edf --rounds $rounds --focus $focus --threads "$threads" \
    --out $f.edf "${raws[@]}" >> "calibrate4_${f}_$k.txt"
done
for f in gamma lognormal weibull; do cp $f.edf "$src/src/fitreport/edf_tables/$f.edf"; done

{
  echo "# Checks of the EDF coefficient tables, written by tools/edfgen/make_tables.sh; do not edit."
  echo "# Rejection rates of the module's p-values as level:rate, over fresh samples (seeds apart"
  echo "# from the tables'); * marks a rate more than 4 binomial standard errors off its level."
  for f in gamma lognormal weibull; do "$edfgen" check-tables --family $f --tables $f.edf || true; done
  nice -n 19 "$edfgen" check-fixed --reps 20000 --seed 7 --threads "$threads" || true
  for fs in "${sets[@]}"; do
    set -- $fs
    nice -n 19 "$edfgen" coverage --family "$1" --set "$2" --tables "$1.edf" --reps 4000 --seed 5099 \
      --threads "$threads" || true
  done
} > checks.txt
cp checks.txt "$src/tools/edfgen/checks.txt"
