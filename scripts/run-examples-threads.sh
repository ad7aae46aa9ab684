#!/usr/bin/env bash
# Runs examples that have golden files with one thread and with eight: both runs
# must match the golden files (made with every core), listing, log, JSON and written
# data sets alike, so no output depends on the number of threads.
#
#   scripts/run-examples-threads.sh RUNNER EXAMPLES_FOLDER|PROGRAM
#
# Given a folder, every example in it; given one program, that one (the test suite
# runs each example on its own, so that the examples run side by side).
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 RUNNER EXAMPLES_FOLDER|PROGRAM" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
if [ -d "$2" ]; then programs=("$2"/*.kes); else programs=("$2"); fi
failed=0
for prog in "${programs[@]}"; do
  [ -f "${prog%.kes}.lst" ] || continue
  for n in 1 8; do
    if ! KES_RUNNER_ARGS="--threads $n" "$here/run-example.sh" "$1" "$prog" >/dev/null; then
      echo "$(basename "$prog"): the outputs with --threads $n differ from the golden files" >&2
      failed=1
    fi
  done
done
exit "$failed"
