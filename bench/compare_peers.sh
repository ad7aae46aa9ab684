#!/usr/bin/env bash
# The runner beside what an R user and a Python user run for the same analysis, on
# the same CSV file in one run: PROC KESTRAVINE NORMAL ROBUSTSCALE CIBASIC on one
# variable of N distinct standard normal values against r-equivalent.R and
# py-equivalent.py. Prints wall time, user+sys CPU time and peak resident size of
# each, and how many times longer the others take than the runner, in wall and in
# CPU time (on a busy machine the wall times say less).
#
#   bench/compare_peers.sh RUNNER [N] [RUNNER OPTIONS...]   (default N: 10000000)
#
# The scripts are looked for in PEERS (default: shared/bench beside the repository or
# a folder above it). A peer whose interpreter or packages are missing is skipped
# with a note (Debian: r-base-core r-cran-robustbase r-cran-nortest python3-scipy
# python3-pandas python3-statsmodels). The CSV is made once in bench/data.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 RUNNER [N] [RUNNER OPTIONS...]" >&2; exit 2; }
runner=$(realpath "$1")
n=${2:-10000000}
shift $(($# >= 2 ? 2 : 1))
[[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "$0: N must be a positive whole number, not '$n'" >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
peers=${PEERS:-}
if [ -z "$peers" ]; then
  for up in "$here/../.." "$here/../../.." "$here/../../../.."; do
    [ -f "$up/shared/bench/r-equivalent.R" ] && { peers=$(cd "$up/shared/bench" && pwd); break; }
  done
fi
[ -n "$peers" ] || { echo "$0: no shared/bench with r-equivalent.R found; set PEERS" >&2; exit 2; }

data="$here/data"
mkdir -p "$data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The Python script reads the column named x.
csv="$data/peers_n$n.csv"
if [ ! -f "$csv" ]; then
  g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$tmp/make_normal_csv"
  "$tmp/make_normal_csv" "$csv" "$n" x >/dev/null
fi
member=$(basename "$csv" .csv)
cat >"$tmp/run.kes" <<PROGRAM
proc kestravine data=$member normal robustscale cibasic;
  var x;
run;
PROGRAM

# timed LABEL COMMAND...: runs the command, prints its line, sets $wall and $cpu.
timed() {
  local label=$1 out=$tmp/out.$RANDOM
  shift
  if ! /usr/bin/time -f "%e %U %S %M" -o "$tmp/time" "$@" >"$out" 2>&1; then
    echo "$label: failed:" >&2
    tail -5 "$out" >&2
    wall=
    return
  fi
  local user sys rss
  read -r wall user sys rss <"$tmp/time"
  cpu=$(echo "$user + $sys" | bc -l)
  printf '%-8s wall %8.2f s  user+sys %8.2f s  peak resident %8.1f MB' "$label" "$wall" "$cpu" \
    "$(echo "$rss / 1024" | bc -l)"
}

echo "n=$n, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
timed runner "$runner" "$@" --work "$data" --listing "$tmp/lst" --log "$tmp/log" "$tmp/run.kes"
echo
[ -n "$wall" ] || exit 1
grep -q "Tests for Normality" "$tmp/lst" || { echo "the runner's listing has no normality table" >&2; exit 1; }
base=$wall
base_cpu=$cpu

peer() {
  local label=$1
  shift
  timed "$label" "$@"
  [ -n "$wall" ] && printf '  %6.1f times the runner (CPU: %.1f)\n' "$(echo "$wall / $base" | bc -l)" \
    "$(echo "$cpu / $base_cpu" | bc -l)"
  return 0
}
if command -v Rscript >/dev/null && Rscript -e 'library(robustbase); library(nortest)' >/dev/null 2>&1; then
  peer R Rscript "$peers/r-equivalent.R" "$csv"
else
  echo "R        skipped: Rscript with robustbase and nortest is not installed"
fi
if /usr/bin/python3 -c 'import scipy, pandas, statsmodels' >/dev/null 2>&1; then
  peer Python /usr/bin/python3 "$peers/py-equivalent.py" "$csv"
else
  echo "Python   skipped: /usr/bin/python3 with scipy, pandas and statsmodels is not installed"
fi
