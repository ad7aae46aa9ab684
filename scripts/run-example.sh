#!/usr/bin/env bash
# Runs an example program and compares its listing and log with the golden files
# beside it (NAME.lst, NAME.log), after masking what changes from run to run: dates,
# times, timings and paths. The runner's exit status is kept as the log's last line.
# When NAME.json is there, the JSON file is compared too; when the folder NAME.out is
# there, the files the program writes (output data sets and their metadata) must be
# exactly the files in it. When KES_SVG_CHECK names the graph-rule checker, every graph
# the program writes must keep the rules every graph keeps.
#
#   scripts/run-example.sh [--update] RUNNER PROGRAM
#
# KES_RUNNER_ARGS, when set, is put before the runner's other options (e.g.
# "--threads 1"), word by word; so are the words of NAME.args when the program has one
# (e.g. "--graphics device": its graphs are written into its folder and compared as
# the files it writes).
#
# The program runs in a scratch copy of its folder (its WORK library), so what it
# writes never lands among the sources. On a mismatch the masked outputs are written
# to NAME.lst.fail, NAME.log.fail, NAME.json.fail or NAME.out.fail, the differences
# are shown, and the exit status is 1. --update (re)writes the golden files instead:
# the listing, the log, the JSON file, and NAME.out when the program writes files.
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

work="$tmp/work"
mkdir "$work"
# The folder's files the program can read are copied: the program's own (its .kes and
# .args) and every data set (NAME.csv, with NAME.csv.meta) whose name is a word of the
# program. Copying the whole folder (over 400 files, most of them other examples'
# goldens) was most of an example's time: the file system's making of new files. A
# data set a program reads by a name not among its words is missing from the copy, and
# the example fails on it, never passes unseen. A glob, not find: other examples
# running beside this one create and remove their .fail files and folders here, and
# find reports an entry that vanishes under it as an error.
declare -A words=()
while read -r w; do words[${w,,}]=1; done < <(grep -oE '[A-Za-z_][A-Za-z0-9_]*' "$program" || true)
inputs=()
shopt -s dotglob nullglob
for f in "$dir"/*; do
  [ -f "$f" ] || continue
  base=${f##*/}
  stem=${base%.meta}
  stem=${stem%.csv}
  case "$base" in
    "$name.kes" | "$name.args") inputs+=("$f") ;;
    *.csv | *.csv.meta) [ -z "${words[${stem,,}]:-}" ] || inputs+=("$f") ;;
  esac
done
shopt -u dotglob nullglob
[ ${#inputs[@]} -eq 0 ] || cp -p -- "${inputs[@]}" "$work/"
(cd "$work" && find . -type f | sort >"$tmp/before")
cd "$work"
set +e
extra=()
[ -f "$dir/$name.args" ] && read -r -a extra <"$dir/$name.args"
"$runner" ${KES_RUNNER_ARGS:-} ${extra[@]+"${extra[@]}"} --listing "$tmp/lst" --log "$tmp/log" --json "$tmp/json" "$name.kes"
status=$?
set -e
cd "$dir"
touch "$tmp/lst" "$tmp/log" "$tmp/json"
# What the program wrote: files that were not in the folder before it ran.
(cd "$work" && find . -type f | sort | comm -13 "$tmp/before" - | sed 's#^\./##') >"$tmp/written"
echo "# exit status $status" >>"$tmp/log"

months='(JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)'
mask() {
  sed -E \
    -e "s#$work#<EXAMPLES>#g" \
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
mask "$tmp/json" >"$tmp/json.masked"

if [ "$update" = 1 ]; then
  cp "$tmp/lst.masked" "$name.lst"
  cp "$tmp/log.masked" "$name.log"
  cp "$tmp/json.masked" "$name.json"
  rm -rf "$name.out" "$name.lst.fail" "$name.log.fail" "$name.json.fail" "$name.out.fail"
  if [ -s "$tmp/written" ]; then
    mkdir "$name.out"
    while IFS= read -r f; do cp "$work/$f" "$name.out/"; done <"$tmp/written"
  fi
  echo "$name: golden files written (exit status $status)"
  exit 0
fi

failed=0
kinds="lst log"
[ -f "$name.json" ] && kinds="$kinds json"
for kind in $kinds; do
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

# Output files: the same names, the same bytes.
rm -rf "$name.out.fail"
if [ -d "$name.out" ] || [ -s "$tmp/written" ]; then
  expected=$( [ -d "$name.out" ] && (cd "$name.out" && find . -type f | sed 's#^\./##' | sort) || true )
  if [ "$expected" != "$(cat "$tmp/written")" ]; then
    echo "$name: the program wrote [$(tr '\n' ' ' <"$tmp/written")], expected [$(echo $expected)]" >&2
    failed=1
  else
    while IFS= read -r f; do
      if ! cmp -s "$work/$f" "$name.out/$f"; then
        echo "$name: output file $f differs (got $name.out.fail/$f):" >&2
        diff -u "$name.out/$f" "$work/$f" | head -40 >&2 || true
        failed=1
      fi
    done <"$tmp/written"
  fi
  if [ "$failed" = 1 ] && [ -s "$tmp/written" ]; then
    mkdir -p "$name.out.fail"
    while IFS= read -r f; do cp "$work/$f" "$name.out.fail/"; done <"$tmp/written"
  fi
fi
# Graphs: the rules every graph keeps, the fault list's entries excused.
if [ -n "${KES_SVG_CHECK:-}" ]; then
  svgs=()
  while IFS= read -r f; do
    case "$f" in *.svg) svgs+=("$work/$f") ;; esac
  done <"$tmp/written"
  if [ ${#svgs[@]} -gt 0 ] && ! "$KES_SVG_CHECK" "$(basename "$dir")/$name.out/" "${svgs[@]}" >"$tmp/rules" 2>&1; then
    echo "$name: a graph breaks the rules every graph keeps:" >&2
    head -40 "$tmp/rules" >&2
    failed=1
  fi
fi
[ "$failed" = 0 ] && echo "$name: listing, log and outputs match"
exit "$failed"
