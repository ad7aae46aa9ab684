# Sourced by the growth benchmarks: measure LABEL PROGRAM runs PROGRAM with $runner
# in the current folder and prints the label, the peak resident size, the wall time
# and the step's return code. LABEL_WIDTH (default 44) pads the label.
measure() {
  printf '%s\n' "$2" >p.kes
  /usr/bin/time -f "%M %e" -o t "$runner" --log log --listing /dev/null p.kes || true
  read -r kb secs < <(tail -n 1 t)  # after "Command exited with non-zero status N"
  printf "%-${LABEL_WIDTH:-44}s %8.1f MB %8.2f s   %s\n" "$1" "$(echo "$kb / 1024" | bc -l)" "$secs" \
    "$(grep -o 'return code [0-9]*' log | tail -1)"
}
