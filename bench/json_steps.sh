#!/usr/bin/env bash
# Programs of many small steps, with and without --json: the wall time should grow in
# proportion to the number of steps in both columns (the JSON document is put in
# place only when it has doubled, not at every step end).
#
#   bench/json_steps.sh RUNNER [STEPS]      (STEPS: comma-separated, default 1000,2000,4000)
#
# Data, program and outputs go to a scratch folder that is removed at the end.
set -euo pipefail
[ $# -ge 1 ] && [ -x "$1" ] || { echo "usage: $0 RUNNER [STEPS]" >&2; exit 2; }
runner=$(realpath "$1")
counts=${2:-1000,2000,4000}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
printf 'x\n1\n2\n3\n5\n8\n' >small.csv
printf '%-8s %14s %14s %12s\n' steps "without --json" "with --json" "JSON bytes"
for n in ${counts//,/ }; do
  awk -v n="$n" 'BEGIN { for (k = 0; k < n; k++) print "proc kestravine data=small; var x; run;" }' >p.kes
  /usr/bin/time -f "%e" -o t0 "$runner" --log log --listing /dev/null p.kes
  /usr/bin/time -f "%e" -o t1 "$runner" --log log --listing /dev/null --json j.json p.kes
  printf '%-8s %12s s %12s s %12s\n' "$n" "$(cat t0)" "$(cat t1)" "$(stat -c %s j.json)"
done
