#!/usr/bin/env bash
# Builds the benchmarks in a build tree and runs them one after another, printing what
# each reports: the numerical toolkit's micro-benchmarks, the data set reader, one data
# pass, the host's tree services, and the whole-run benchmark (bench/whole_run.sh).
# The data benchmarks read one generated CSV file of N distinct normal values,
# made once in bench/data. Timings only: nothing here is part of the tests.
#
#   bench/run.sh [BUILD]      (default build; environment: JOBS=2, N=1000000)
#
# N=10000000 gives the sizes of the figures in bench/README.md.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
jobs=${JOBS:-2}
n=${N:-1000000}
[ -f "$build/build.ninja" ] || { echo "$0: '$build' is not a configured build tree (run make build first)" >&2; exit 2; }
[[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "$0: N must be a positive whole number, not '$n'" >&2; exit 2; }

cmake --build "$build" -j "$jobs" --target all benchmarks
build=$(realpath "$build")

csv="$here/data/normal_n$n.csv"
[ "$n" = 10000000 ] && [ -f "$here/data/normal_1e7.csv" ] && csv="$here/data/normal_1e7.csv"
if [ ! -f "$csv" ]; then
  mkdir -p "$here/data"
  maker=$(mktemp)
  trap 'rm -f "$maker"' EXIT
  g++ -O2 -std=c++20 "$here/make_normal_csv.cpp" -o "$maker"
  "$maker" "$csv" "$n" >/dev/null
fi

ran=0
run() {
  local exe="$build/bench/$1"
  shift
  if [ -x "$exe" ]; then
    echo "== $(basename "$exe") $*"
    "$exe" "$@"
    ran=$((ran + 1))
  fi
}
run numeric/numeric_bench
run data_read_bench "$csv"
run datapass_bench "$csv"
run trees_bench "$n"
run kernel_bench "$n"
[ "$ran" -gt 0 ] || echo "(the benchmark programs are not built: the tree needs KES_BENCH=ON and the benchmark library)"

echo "== whole_run.sh $n"
bash "$here/whole_run.sh" "$build/kestravine" "$n"
