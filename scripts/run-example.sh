#!/usr/bin/env bash
# Runs an example program and compares its listing and log with the golden files
# beside it (NAME.lst, NAME.log), after masking what changes from run to run: dates,
# times, timings and paths. The runner's exit status is kept as the log's last line.
#
#   scripts/run-example.sh [--update] RUNNER PROGRAM
#
# The program runs from its own folder (its WORK library), with --json to a
# temporary file. On a mismatch the masked outputs are written to NAME.lst.fail and
# NAME.log.fail, the differences are shown, and the exit status is 1. --update
# (re)writes the golden files instead.
set -euo pipefail

usage() { echo "usage: $0 [--update] RUNNER PROGRAM" >&2; exit 2; }
update=0
if [ "${1:-}" = "--update" ]; then update=1; shift; fi
[ $# -eq 2 ] || usage
[ -x "$1" ] || { echo "$0: runner '$1' is not an executable file" >&2; exit 2; }
[ -f "$2" ] || { echo "$0: program '$2' does not exist" >&2; exit 2; }

runner=$(realpath "$1")
program=$(realpath "$2")
dir=$(dirname "$program")
name=$(basename "$program" .kes)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cd "$dir"
set +e
"$runner" --listing "$tmp/lst" --log "$tmp/log" --json "$tmp/json" "$name.kes"
status=$?
set -e
touch "$tmp/lst" "$tmp/log"
echo "# exit status $status" >>"$tmp/log"

months='(JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)'
mask() {
  sed -E \
    -e "s#$tmp#<TMP>#g" \
    -e "s#$dir#<EXAMPLES>#g" \
    -e "s#$(dirname "$runner")#<BUILD>#g" \
    -e 's/[0-9]+\.[0-9]+ seconds/#.## seconds/g' \
    -e 's/\b[0-9]{4}-[0-9]{2}-[0-9]{2}\b/YYYY-MM-DD/g' \
    -e "s/\\b$months[a-z]* +[0-9]{1,2},? +[0-9]{4}\\b/MON DD YYYY/g" \
    -e "s/\\b[0-9]{1,2}$months[0-9]{2,4}\\b/DDMONYYYY/g" \
    -e 's/\b[0-9]{1,2}:[0-9]{2}(:[0-9]{2})?\b/HH:MM/g' \
    "$1"
}
mask "$tmp/lst" >"$tmp/lst.masked"
mask "$tmp/log" >"$tmp/log.masked"

if [ "$update" = 1 ]; then
  cp "$tmp/lst.masked" "$name.lst"
  cp "$tmp/log.masked" "$name.log"
  rm -f "$name.lst.fail" "$name.log.fail"
  echo "$name: golden files written (exit status $status)"
  exit 0
fi

failed=0
for kind in lst log; do
  if [ ! -f "$name.$kind" ]; then
    echo "$name: golden file $dir/$name.$kind is missing (make it with --update)" >&2
    cp "$tmp/$kind.masked" "$name.$kind.fail"
    failed=1
  elif ! cmp -s "$tmp/$kind.masked" "$name.$kind"; then
    cp "$tmp/$kind.masked" "$name.$kind.fail"
    echo "$name: the $kind differs from $name.$kind (got $name.$kind.fail):" >&2
    diff -u "$name.$kind" "$name.$kind.fail" | head -40 >&2 || true
    failed=1
  else
    rm -f "$name.$kind.fail"
  fi
done
[ "$failed" = 0 ] && echo "$name: listing and log match"
exit "$failed"
