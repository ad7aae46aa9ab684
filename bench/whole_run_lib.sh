# Sourced by the whole-run benchmarks (fit_run.sh, fam_run.sh, kernel_run.sh): reads
# RUNNER and N from "$@", makes the scratch folder and the CSV of N standard normal
# values, and gives the best-of-REPS timing routine.
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
