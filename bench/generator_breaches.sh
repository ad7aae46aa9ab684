#!/usr/bin/env bash
# The everyday generator and the fuzzer on seeds of one's choosing, each program run in
# both renderers with its graphs held to the checker's rules (every rule for everyday
# programs, whose pages are the default size; the rules that hold at any size for fuzzed
# ones, whose pages are any size), and the breaches summed up by rule, renderer and seed
# with the seed and program that show each.
#
#   bench/generator_breaches.sh [-j JOBS] [-n PROGRAMS] [-p PARTS] [-b BUILD] [-o FILE]
#                               [-g everyday|fuzz|both] [-s] SEED...
#
# -n programs a seed (default 100), each seed cut into -p parts (default 1) run side by
# side, -j such runs at once (default 4). The runs' own output and the failing programs
# with their data (BUILD/everyday_failures, BUILD/fuzz_failures) are kept; the summary
# goes to -o (default: standard output), each rule with one repro's program and data.
# -s sums up the runs' output kept from the last run again, without running anything
# (after the logs are pruned of a checker's false alarms, say).
set -euo pipefail

jobs=4 programs=100 parts=1 build=build out=- which=both again=0
while getopts "j:n:p:b:o:g:s" opt; do
  case $opt in
    j) jobs=$OPTARG ;;
    n) programs=$OPTARG ;;
    p) parts=$OPTARG ;;
    b) build=$OPTARG ;;
    o) out=$OPTARG ;;
    g) which=$OPTARG ;;
    s) again=1 ;;
    *) sed -n '2,16p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || { sed -n '2,16p' "$0"; exit 2; }
build=$(cd "$build" && pwd)
binary=$build/tests/test_fuzz
[ -x "$binary" ] || binary=$build/tests/test_all
[ -x "$binary" ] || { echo "no fuzz test program under $build/tests" >&2; exit 2; }

logs=$build/generator_breaches
per_part=$(((programs + parts - 1) / parts))

if [ "$again" = 0 ]; then
  rm -rf "$logs"
  mkdir -p "$logs"
  # One line per run: GENERATOR SEED FIRST COUNT.
  plan=$logs/plan
  : >"$plan"
  for seed in "$@"; do
    for ((first = 0; first < programs; first += per_part)); do
      count=$((programs - first < per_part ? programs - first : per_part))
      [ "$which" = fuzz ] || echo "everyday $seed $first $count" >>"$plan"
      [ "$which" = everyday ] || echo "fuzz $seed $first $count" >>"$plan"
    done
  done

  run_one() {
    local gen=$1 seed=$2 first=$3 count=$4 log
    log=$logs/$gen-$seed-$first.log
    cd "$build"
    if [ "$gen" = everyday ]; then
      KES_EVERYDAY_SEED=$seed KES_EVERYDAY_FIRST=$first KES_EVERYDAY_COUNT=$count \
        "$binary" --gtest_filter=EverydayPrograms.EveryGraphKeepsEveryRule >"$log" 2>&1 || true
    else
      KES_FUZZ_SEED=$seed KES_FUZZ_FIRST=$first KES_FUZZ_COUNT=$count KES_FUZZ_MAX_FAILURES=$count \
        "$binary" --gtest_filter=ProgramFuzz.NoRunFailsAUser >"$log" 2>&1 || true
    fi
  }
  export -f run_one
  export logs build binary

  start=$(date +%s)
  # A run stopped from outside (a signal) stops xargs too: the runs done are still
  # summed up, the stopped ones named as such.
  xargs -P "$jobs" -L 1 bash -c 'run_one "$@"' _ <"$plan" || echo "some runs were stopped; summing up what ran" >&2
  echo $(($(date +%s) - start)) >"$logs/seconds"
fi
seconds=$(cat "$logs/seconds" 2>/dev/null || echo "?")

summarise() {
  python3 - "$logs" "$build" "$programs" "$seconds" "$@" <<'EOF'
import collections, glob, os, re, sys

logs, build, programs, seconds, seeds = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5:]
head = re.compile(r"^(?:.*Failure\s*)?(case|program) (\d+) of seed (\d+) \((?:(.*?); )?kept as (\S+?)\.kes")
# "  RENDERER: FILE.svg RULE: detail" for a graph; "  RENDERER: what went wrong" for a run.
graph = re.compile(r"^  (template|device): (\S+\.svg) ([a-z-]+): (.*)$")
run = re.compile(r"^  (template|device): (.*)$")
by_rule = collections.defaultdict(list)   # rule -> [(gen, renderer, seed, index, file, detail, kept)]
programs_hit = collections.defaultdict(set)  # (gen, seed) -> program indexes with a breach
ran = collections.Counter()
for log in sorted(glob.glob(os.path.join(logs, "*.log"))):
    gen, seed, first = os.path.basename(log)[:-4].split("-")
    text = open(log, errors="replace").read()
    m = re.search(r"\[  (PASSED|FAILED)  \] 1 test", text)
    if m is None:
        by_rule["run-stopped"].append((gen, "-", seed, int(first), "-", "the test program stopped: see " + log, ""))
    current = None
    for line in text.splitlines():
        h = head.match(line)
        if h:
            current = (h.group(3), int(h.group(2)), h.group(5))
            continue
        if current is None:
            continue
        g = graph.match(line)
        if g:
            rule, renderer, file, detail = g.group(3), g.group(1), g.group(2), g.group(4)
        else:
            r = run.match(line)
            if not r:
                if not line.startswith("  "):
                    current = None
                continue
            renderer, file, detail = r.group(1), "-", r.group(2)
            rule = detail.split(":")[0] if re.match(r"^[a-z-]+:", detail) else "run-fault"
        by_rule[rule].append((gen, renderer, current[0], current[1], file, detail, current[2]))
        programs_hit[(gen, current[0])].add(current[1])

out = []
out.append("Breaches of the graph rules found by the generators")
out.append("seeds %s, %d programs each, both renderers; %s s wall time" % (" ".join(seeds), programs, seconds))
out.append("everyday programs held to every rule; fuzzed programs to the rules that hold at any page size")
out.append("")
out.append("Programs with a breach, by generator and seed:")
for gen in ("everyday", "fuzz"):
    row = ["%s:%d" % (s, len(programs_hit[(gen, s)])) for s in seeds]
    out.append("  %-9s %s  (total %d)" % (gen, " ".join(row), sum(len(programs_hit[(gen, s)]) for s in seeds)))
out.append("")
out.append("Breaches by rule (count, by generator and renderer; by seed):")
for rule, hits in sorted(by_rule.items(), key=lambda kv: -len(kv[1])):
    kinds = collections.Counter("%s/%s" % (h[0], h[1]) for h in hits)
    seeds_of = collections.Counter(h[2] for h in hits)
    out.append("  %-18s %5d  %s" % (rule, len(hits), " ".join("%s %d" % kv for kv in sorted(kinds.items()))))
    out.append("  %-18s        seeds: %s" % ("", " ".join("%s:%d" % kv for kv in sorted(seeds_of.items()))))
out.append("")
out.append("One repro a rule (KES_EVERYDAY_SEED=S KES_EVERYDAY_FIRST=I KES_EVERYDAY_COUNT=1, or")
out.append("KES_FUZZ_SEED=S KES_FUZZ_FIRST=I KES_FUZZ_COUNT=1, running the test program; or run the")
out.append("program below with its data as d.csv):")
for rule, hits in sorted(by_rule.items(), key=lambda kv: -len(kv[1])):
    gen, renderer, seed, index, file, detail, kept = hits[0]
    out.append("")
    out.append("=" * 78)
    out.append("%s: %s case %d of seed %s, %s, %s" % (rule, gen, index, seed, renderer, file))
    out.append("  " + detail)
    others = sorted({"%s %s_%d" % (h[0], h[2], h[3]) for h in hits} - {"%s %s_%d" % (gen, seed, index)})
    if others:
        out.append("  also: " + ", ".join(others[:12]) + (" ..." if len(others) > 12 else ""))
    if kept and os.path.exists(kept + ".kes"):
        out.append("--- program")
        out.append(open(kept + ".kes", errors="replace").read().rstrip("\n"))
        data = open(kept + ".csv", errors="replace").read().splitlines()
        out.append("--- d.csv (%d lines)" % len(data))
        out.extend(data if len(data) <= 400 else data[:400] + ["... (%d more lines in %s.csv)" % (len(data) - 400, kept)])
print("\n".join(out))
EOF
}

if [ "$out" = - ]; then
  summarise "$@"
else
  summarise "$@" >"$out"
  sed -n '1,/^One repro/p' "$out"
fi
