#!/usr/bin/env bash
# Weighted against unweighted: the kestravine runner on 10^7 nearly distinct normal
# values with six decimals, once with WEIGHT w (weights uniform on 0.5 to 2) and once
# without, with the default tables (moments, location and variability, tests of
# location, quantiles, extreme observations), which a weighted run makes as well. Prints each run's CPU time
# (user + system), wall time and peak resident size, and the weighted run's ratios;
# the aim is CPU within 1.5 times and memory within 1.3 times the unweighted run's.
#
#   bench/weighted_run.sh RUNNER [ROWS] [THREADS]   (default 10000000 rows, 8 threads)
#
# The CSV file is made once in bench/data with bench/make_normal_csv.cpp.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 RUNNER [ROWS] [THREADS]" >&2; exit 2; }
runner=$(realpath "$1")
rows=${2:-10000000}
threads=${3:-8}

here=$(cd "$(dirname "$0")" && pwd)
data="$here/data"
mkdir -p "$data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

csv="$data/weighted_n$rows.csv"
if [ ! -f "$csv" ]; then
  g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$tmp/make_normal_csv"
  "$tmp/make_normal_csv" "$csv" "$rows" weighted >/dev/null
fi
member=$(basename "$csv" .csv)

run() {  # run LABEL WEIGHT-STATEMENT: prints "cpu wall rss"
  cat >"$tmp/run.kes" <<PROGRAM
options threads=$threads;
proc kestravine data=$member;
  var x;
  $2
run;
PROGRAM
  /usr/bin/time -f "%U %S %e %M" -o "$tmp/time" \
    "$runner" --work "$data" --listing "$tmp/$1.lst" --log "$tmp/$1.log" "$tmp/run.kes" || {
      echo "$1: the run failed:" >&2
      cat "$tmp/$1.log" >&2
      exit 1
    }
  read -r user sys wall rss <"$tmp/time"
  echo "$(echo "$user + $sys" | bc -l) $wall $rss"
}

read -r cpu0 wall0 rss0 < <(run plain "")
read -r cpu1 wall1 rss1 < <(run weighted "weight w;")
printf 'unweighted: cpu %6.2f s  wall %6.2f s  peak resident %7.1f MB\n' "$cpu0" "$wall0" "$(echo "$rss0 / 1024" | bc -l)"
printf 'weighted:   cpu %6.2f s  wall %6.2f s  peak resident %7.1f MB\n' "$cpu1" "$wall1" "$(echo "$rss1 / 1024" | bc -l)"
printf 'weighted / unweighted: cpu %.2fx  memory %.2fx\n' "$(echo "$cpu1 / $cpu0" | bc -l)" "$(echo "$rss1 / $rss0" | bc -l)"
