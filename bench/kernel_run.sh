#!/usr/bin/env bash
# Whole-run cost of a kernel density curve with the plug-in bandwidth: the kestravine
# runner on one variable of N distinct standard normal values read from CSV, with
# HISTOGRAM alone and with HISTOGRAM / KERNEL(C=SJPI) OUTKERNEL=, both NOPRINT.
# Prints the wall time and peak resident size of each run (median of three) and the
# difference, which is what the kernel curve adds.
#
#   bench/kernel_run.sh RUNNER [N]     (default N: 10000000)
set -euo pipefail

source "$(dirname "$0")/whole_run_lib.sh"
csv=$normal
member=$(basename "$csv" .csv)

median_run() {  # program text -> "seconds megabytes" of the median run
  printf '%s\n' "$1" >"$tmp/run.kes"
  for i in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$tmp/time" \
      "$runner" --graphs "$tmp" --work "$tmp" --lib "BENCH=$data" --listing "$tmp/lst" --log "$tmp/log" "$tmp/run.kes" >/dev/null
    cat "$tmp/time"
  done | sort -n | sed -n 2p | awk '{ printf "%.2f %.0f\n", $1, $2 / 1024 }'
}

plain=$(median_run "proc kestravine data=bench.$member noprint; var x; histogram x / noplot; run;")
kernel=$(median_run "proc kestravine data=bench.$member noprint; var x; histogram x / kernel(c=sjpi) outkernel=k noplot; run;")
echo "values: $n"
echo "HISTOGRAM alone:             ${plain% *} s, ${plain#* } MB"
echo "HISTOGRAM / KERNEL(C=SJPI):  ${kernel% *} s, ${kernel#* } MB"
awk -v a="${plain% *}" -v b="${kernel% *}" 'BEGIN { printf "the kernel curve adds:       %.2f s\n", b - a }'
grep -h "kernel density estimate" "$tmp/log" || true
