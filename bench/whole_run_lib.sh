# Sourced by the whole-run benchmarks (fit_run.sh, fam_run.sh, mle_run.sh, kernel_run.sh):
# reads RUNNER and N from "$@", makes the scratch folder and the CSV of N standard
# normal values, and gives the best-of-REPS timing routines.
#   After sourcing: runner, n, reps, here, data, tmp, normal (the CSV's path).
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
[ "$n" = 10000000 ] && [ -f "$data/normal_1e7.csv" ] && normal="$data/normal_1e7.csv"
if [ ! -f "$normal" ]; then
  g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$tmp/make_normal_csv"
  "$tmp/make_normal_csv" "$normal" "$n" >/dev/null
fi

# best PROGRAM: the best wall time of REPS runs of the program file with the data
# folder as WORK; the last run's listing and log stay in $tmp/lst and $tmp/log.
best() {
  local b= t
  for _ in $(seq "$reps"); do
    /usr/bin/time -f "%e" -o "$tmp/time" "$runner" --graphs "$tmp" --work "$data" --listing "$tmp/lst" --log "$tmp/log" "$1" || {
      echo "the run of $1 failed:" >&2
      cat "$tmp/log" >&2
      exit 1
    }
    t=$(cat "$tmp/time")
    if [ -z "$b" ] || [ "$(echo "$t < $b" | bc -l)" = 1 ]; then b=$t; fi
  done
  echo "$b"
}

# curves_setup: the CSV of the N values 10 + N(0, 1) (positive) as the member to read,
# and the system option THREADS=k when THREADS is set in the environment.
#   After calling: csv, member, sysopt.
curves_setup() {
  csv="$data/positive_n$n.csv"
  [ -f "$csv" ] || awk -F, 'NR == 1 { print; next } { printf "%.17g\n", $1 + 10 }' "$normal" >"$csv"
  member=$(basename "$csv" .csv)
  sysopt=()
  if [ -n "${THREADS:-}" ]; then sysopt=(-o "THREADS=$THREADS"); fi
}

# run_curves NAME CURVES: HISTOGRAM x with CURVES (" / ..." or empty) on the member;
# prints "wall user+sys" of the best of REPS runs (the last run's listing in $tmp/lst).
run_curves() {
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
