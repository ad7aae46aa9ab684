#!/usr/bin/env bash
# Runs the same programs with two runners and compares what they write byte for byte:
# listing, log (timings and dates masked), JSON, output data sets (CSV) and graphs
# (SVG), with template and with device graphics. Meant for changes that must leave
# every output as it was (a refactoring of how values are reached, say).
#
#   scripts/compare-runners.sh RUNNER_A RUNNER_B [N]
#
# N is the number of values of the large sample (default 1000000). Exit 0 when all
# outputs agree; otherwise the differing files are listed and the status is 1.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 RUNNER_A RUNNER_B [N]" >&2; exit 2; }
a=$(realpath "$1")
b=$(realpath "$2")
n=${3:-1000000}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/work"

# A large sample of near-normal values with ties (rounded to 3 decimals), and a small
# sample with FREQ, WEIGHT, two CLASS variables, BY groups, ties and missing values.
awk -v n="$n" 'BEGIN {
  srand(17); print "x,y";
  for (i = 0; i < n; i++) {
    u = rand() + rand() + rand() + rand() - 2; v = 5 + 2 * u;
    printf "%.3f,%.6f\n", v, exp(u / 2) + 0.25 }
}' >"$tmp/work/big.csv"
awk 'BEGIN {
  srand(5); print "g,a,b,f,w,x,y";
  for (i = 0; i < 3000; i++) {
    g = int(i / 1000); a = substr("pqr", 1 + int(rand() * 3), 1); b = int(rand() * 2);
    f = 1 + int(rand() * 3); w = int(rand() * 5) / 2;
    x = (i % 37 == 0) ? "." : sprintf("%.2f", 10 + 3 * (rand() + rand() + rand() - 1.5));
    y = (i % 53 == 0) ? "." : sprintf("%.4f", 1 + rand() * rand() * 8);
    printf "%d,%s,%d,%d,%s,%s,%s\n", g, a, b, f, w, x, y }
}' >"$tmp/work/small.csv"
# Every family's curve, midpoint percents, P-P and CDF points: positive values reaching
# close to zero, where the families' distribution functions are in their low tails.
awk 'BEGIN {
  srand(29); print "t,u,v";
  for (i = 0; i < 400; i++) {
    e = -log(1 - rand()); z = 1.7 * (rand() + rand() + rand() + rand() - 2) + 0.3;
    printf "%.6g,%.6g,%.6g\n", e * e * e / 4 + 1e-6, 0.02 + 0.96 * rand() * rand(), (exp(z) - exp(-z)) / 2 }
}' >"$tmp/work/tails.csv"

cat >"$tmp/prog.kes" <<'PROGRAM'
proc kestravine data=big normal robustscale cibasic cipctldf cipctlnormal
     trimmed=.1 winsorized=.1 modes loccount nextrobs=5 nextrval=5 mu0=5 plots;
  var x y;
  histogram x y / normal lognormal weibull gamma kernel midpercents outhistogram=oh1;
  qqplot x / normal(mu=est sigma=est);
  probplot y / lognormal(sigma=est);
  ppplot x / normal;
  cdfplot y / gamma;
  output out=o1 mean=m1 m2 std=s1 s2 median=md1 md2 q1=q11 q12 q3=q31 q32 qn=qn1 qn2 p5=p51 p52 mode=mo1 mo2;
run;
proc kestravine data=small freq modes nextrval=4 plots;
  by g;
  class a b;
  var x y;
  freq f;
  histogram x / normal kernel midpercents outhistogram=oh2;
  qqplot y / lognormal(sigma=est);
  output out=o2 mean=m1 m2 median=md1 md2 range=r1 r2 nmiss=nm1 nm2;
run;
proc kestravine data=small robustscale trimmed=.2 winsorized=.2 vardef=wdf freq plots pctldef=5;
  by g;
  class a;
  var x y;
  weight w;
  output out=o3 mean=m1 m2 std=s1 s2 p90=p1 p2 sumwgt=sw1 sw2;
run;
proc kestravine data=tails noprint;
  var t u v;
  histogram t / normal lognormal(theta=0) exponential(theta=0) weibull(theta=0) gamma(theta=0)
                midpercents outhistogram=oh3;
  histogram v / normal su midpercents outhistogram=oh5;
  histogram u / beta(theta=0 sigma=1) sb(theta=0 sigma=1) midpercents outhistogram=oh4;
  ppplot t / lognormal(theta=0);
  ppplot t / exponential(theta=0);
  ppplot t / weibull(theta=0);
  ppplot t / gamma(theta=0);
  ppplot u / beta(theta=0 sigma=1);
  ppplot u / sb(theta=0 sigma=1);
  ppplot v / su;
  cdfplot t / lognormal(theta=0);
  cdfplot t / weibull(theta=0);
  cdfplot t / exponential(theta=0);
  cdfplot u / beta(theta=0 sigma=1);
  cdfplot u / sb(theta=0 sigma=1);
  cdfplot v / su;
  probplot u / weibull2(theta=0);
run;
PROGRAM

run_one() {  # runner label graphics
  local out="$tmp/$2-$3"
  mkdir -p "$out/graphs"
  cp "$tmp"/work/*.csv "$out/" 2>/dev/null || true
  "$1" --work "$out" --graphics "$3" --graphs "$out/graphs" --listing "$out/listing.txt" --log "$out/log.txt" \
    --json "$out/tables.json" "$tmp/prog.kes" || true
  sed -E -i 's/[0-9]+\.[0-9]+ seconds/T seconds/g; s/[0-9]{1,2}:[0-9]{2}(:[0-9]{2})?/HH:MM/g;
             s/[A-Z][a-z]+day, [A-Z][a-z]+ [0-9]+, [0-9]{4}/DATE/g; s/[0-9]{2}[A-Z]{3}[0-9]{2,4}/DATE/g' \
    "$out/log.txt" "$out/listing.txt"
  # The two runs write into folders of their own: their names are masked too.
  sed -i "s|$out|OUT|g" "$out/log.txt" "$out/listing.txt" "$out/tables.json"
  rm -f "$out/big.csv" "$out/small.csv" "$out/tails.csv"
}

status=0
for graphics in template device; do
  run_one "$a" A "$graphics"
  run_one "$b" B "$graphics"
  if ! diff -r "$tmp/A-$graphics" "$tmp/B-$graphics" >"$tmp/diff-$graphics"; then
    echo "$graphics graphics: the outputs differ:"
    diff -rq "$tmp/A-$graphics" "$tmp/B-$graphics" || true
    head -40 "$tmp/diff-$graphics"
    status=1
  else
    files=$(find "$tmp/A-$graphics" -type f | wc -l)
    echo "$graphics graphics: $files files identical (listing, log, JSON, data sets, SVG)"
  fi
done
exit $status
