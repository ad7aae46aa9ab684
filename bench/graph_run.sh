# Sourced by the graph benchmarks: graph_run LABEL GRAPHICS PROGRAM runs PROGRAM with
# $runner in the current folder, its graphs in g/, and prints the label, the peak
# resident size, the wall time, the CPU time (user + system: the machine is shared, and
# the CPU time says what the wall time hides), the number of graph files and the step's return code.
# With GRAPH_FILES=1 each file follows with its size and, when rsvg-convert is
# installed, the time it takes to draw it. The CPU seconds stay in $graph_cpu. The last
# run's files are moved aside, not removed (the scripts remove their scratch folder at
# the end): a file system made to create thousands of files just after deleting as
# many spends several times the run's own system time looking past the deleted ones.
graph_run() {
  [ ! -d g ] || mv g "g.old.$(date +%s%N)"
  mkdir g
  printf '%s\n' "$3" >p.kes
  python3 "$(dirname "${BASH_SOURCE[0]}")/rusage_time.py" t "$runner" --graphics "$2" --graphs g --log log --listing /dev/null p.kes || true
  read -r kb secs user sys <t
  graph_cpu=$(echo "$user + $sys" | bc -l)
  printf "%-40s %8.1f MB %8.2f s  cpu %6.2f s  %6d files   %s\n" "$1" "$(echo "$kb / 1024" | bc -l)" "$secs" \
    "$graph_cpu" \
    "$(find g -name '*.svg' | wc -l)" "$(grep -o 'return code [0-9]*' log | tail -1)"
  [ "${GRAPH_FILES:-0}" = 1 ] || return 0
  for f in g/*.svg; do
    local draw="" s
    if command -v rsvg-convert >/dev/null; then
      s=$(date +%s.%N)
      rsvg-convert --format=png --output=drawn.png "$f"
      draw=$(printf "drawn in %.2f s" "$(echo "$(date +%s.%N) - $s" | bc -l)")
    fi
    printf "    %-22s %10d bytes   %s\n" "$(basename "$f")" "$(stat -c %s "$f")" "$draw"
  done
}
