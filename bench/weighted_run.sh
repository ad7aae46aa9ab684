#!/usr/bin/env bash
# Weighted against unweighted: the kestravine runner on 10^7 nearly distinct normal
# values with six decimals, once with WEIGHT w (weights uniform on 0.5 to 2) and once
# without, with the default tables (moments, location and variability, tests of
# location, quantiles, extreme observations), which a weighted run makes as well. The
# two runs alternate, PAIRS times (default 5), so that a machine shared with other work
# loads both alike; each run's CPU time (user + system), wall time and peak resident
# size is printed, then the medians and the weighted run's ratios of CPU time and
# memory (wall time follows the load of the machine: CPU time is the measure). The
# aim: CPU within 1.2 times and memory within 1.1 times the unweighted run's.
#
#   bench/weighted_run.sh RUNNER [ROWS] [THREADS] [PAIRS]   (default 10000000 rows, 8 threads, 5 pairs)
#
# The CSV file is made once in bench/data with bench/make_normal_csv.cpp.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 RUNNER [ROWS] [THREADS] [PAIRS]" >&2; exit 2; }
runner=$(realpath "$1")
rows=${2:-10000000}
threads=${3:-8}
pairs=${4:-5}

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

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$tmp/plain"
: >"$tmp/weighted"
for ((i = 1; i <= pairs; ++i)); do
  read -r cpu0 wall0 rss0 < <(run plain "")
  read -r cpu1 wall1 rss1 < <(run weighted "weight w;")
  echo "$cpu0 $wall0 $rss0" >>"$tmp/plain"
  echo "$cpu1 $wall1 $rss1" >>"$tmp/weighted"
  printf 'pair %d: unweighted cpu %6.2f s wall %6.2f s %7.1f MB | weighted cpu %6.2f s wall %6.2f s %7.1f MB\n' \
    "$i" "$cpu0" "$wall0" "$(echo "$rss0 / 1024" | bc -l)" "$cpu1" "$wall1" "$(echo "$rss1 / 1024" | bc -l)"
done
c0=$(cut -d' ' -f1 "$tmp/plain" | median)
c1=$(cut -d' ' -f1 "$tmp/weighted" | median)
w0=$(cut -d' ' -f2 "$tmp/plain" | median)
w1=$(cut -d' ' -f2 "$tmp/weighted" | median)
m0=$(cut -d' ' -f3 "$tmp/plain" | median)
m1=$(cut -d' ' -f3 "$tmp/weighted" | median)
printf 'unweighted (median): cpu %6.2f s  wall %6.2f s  peak resident %7.1f MB\n' "$c0" "$w0" "$(echo "$m0 / 1024" | bc -l)"
printf 'weighted (median):   cpu %6.2f s  wall %6.2f s  peak resident %7.1f MB\n' "$c1" "$w1" "$(echo "$m1 / 1024" | bc -l)"
printf 'weighted / unweighted: cpu %.2fx (aim 1.2)  memory %.2fx (aim 1.1)  wall %.2fx\n' \
  "$(echo "$c1 / $c0" | bc -l)" "$(echo "$m1 / $m0" | bc -l)" "$(echo "$w1 / $w0" | bc -l)"
