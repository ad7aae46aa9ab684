#!/usr/bin/env bash
# Runs every example that has golden files with one thread and with eight: both runs
# must match the golden files (made with every core), listing, log, JSON and written
# data sets alike, so no output depends on the number of threads.
#
#   scripts/run-examples-threads.sh RUNNER EXAMPLES_FOLDER
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 RUNNER EXAMPLES_FOLDER" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
failed=0
for prog in "$2"/*.kes; do
  [ -f "${prog%.kes}.lst" ] || continue
  for n in 1 8; do
    if ! KES_RUNNER_ARGS="--threads $n" "$here/run-example.sh" "$1" "$prog" >/dev/null; then
      echo "$(basename "$prog"): the outputs with --threads $n differ from the golden files" >&2
      failed=1
    fi
  done
done
exit "$failed"
