#!/usr/bin/env bash
# Whole-run benchmark: the kestravine runner on one variable of 10^6 and of 10^7
# distinct standard normal values read from CSV, with every descriptive statistic
# asked for except the frequency table (which would print every distinct value).
# Prints the wall time and the peak resident size of each run.
#
#   bench/whole_run.sh RUNNER [SIZES...]     (default sizes: 1000000 10000000)
#
# The CSV files are made once in bench/data with bench/make_normal_csv.cpp.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 RUNNER [SIZES...]" >&2; exit 2; }
runner=$(realpath "$1")
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000000 10000000)

here=$(cd "$(dirname "$0")" && pwd)
data="$here/data"
mkdir -p "$data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

maker="$tmp/make_normal_csv"
g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$maker"

for n in "${sizes[@]}"; do
  csv="$data/normal_n$n.csv"
  [ "$n" = 10000000 ] && [ -f "$data/normal_1e7.csv" ] && csv="$data/normal_1e7.csv"
  [ -f "$csv" ] || "$maker" "$csv" "$n" >/dev/null
  member=$(basename "$csv" .csv)
  cat >"$tmp/run.kes" <<PROGRAM
proc kestravine data=$member normal robustscale cibasic cipctldf cipctlnormal
     trimmed=.1 winsorized=.1 modes loccount nextrobs=5 nextrval=5
     mu0=50 alpha=.05 pctldef=4 vardef=df;
  var x;
run;
PROGRAM
  /usr/bin/time -f "%e %M" -o "$tmp/time" \
    "$runner" --work "$data" --listing "$tmp/lst" --log "$tmp/log" "$tmp/run.kes" || {
      echo "n=$n: the run failed:" >&2
      cat "$tmp/log" >&2
      exit 1
    }
  read -r wall rss <"$tmp/time"
  printf 'n=%-9s wall %6.2f s  peak resident %7.1f MB\n' "$n" "$wall" "$(echo "$rss / 1024" | bc -l)"
  grep -q "Tests for Normality" "$tmp/lst" || { echo "n=$n: no normality table in the listing" >&2; exit 1; }
done
