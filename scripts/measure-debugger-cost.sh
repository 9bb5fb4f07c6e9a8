#!/usr/bin/env bash
# What the debugger's breakpoints cost a running machine: runs
# bench/debugger_bench's frame benchmarks ROUNDS times (default 5, seven
# repetitions each), takes the fastest repetition of each, and prints the
# host time of a frame with nothing set and with 1,000 execute and 100
# memory and port breakpoints that never hit, for the busy program and for
# the monitor at its prompt, with the difference in percent.
#
#   scripts/measure-debugger-cost.sh [ROUNDS] [--build DIR]
#
#   ROUNDS      rounds of the benchmark (default 5)
#   --build DIR the Release build folder configured with
#               -DVANTOREL_BENCHMARKS=ON (default build/release)
#
# The fastest of many runs is the figure least disturbed by other work on
# the host; a shared host still moves single runs by a few percent. A
# measurement for a person to run and read, never a test. Exit status: 0,
# or 2 for a usage error or a missing benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [ROUNDS] [--build DIR]" >&2
  exit 2
}

rounds=5
build=build/release
while [[ $# -gt 0 ]]; do
  case "$1" in
    --build) [[ $# -ge 2 ]] || usage; build="$2"; shift 2 ;;
    ''|*[!0-9]*) usage ;;
    *) rounds="$1"; shift ;;
  esac
done
[[ "$rounds" -ge 1 ]] || usage
bench="$build/bench/debugger_bench"
if [[ ! -x "$bench" ]]; then
  echo "$0: $bench is missing: configure $build with -DVANTOREL_BENCHMARKS=ON and build it" >&2
  exit 2
fi

results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((round = 1; round <= rounds; ++round)); do
  "$bench" --benchmark_filter='^(frames|monitorFrames)' --benchmark_repetitions=7 \
    --benchmark_format=csv 2>/dev/null >>"$results"
done

python3 - "$results" <<'EOF'
import csv, sys
fastest = {}
with open(sys.argv[1]) as results:
    for row in csv.reader(results):
        if len(row) < 4 or row[0] in ("name", "") or row[0].endswith(("_mean", "_median", "_stddev", "_cv")):
            continue
        try:
            microseconds = float(row[3])
        except ValueError:
            continue
        fastest[row[0]] = min(microseconds, fastest.get(row[0], microseconds))

def line(what, plain, watched):
    if plain not in fastest or watched not in fastest:
        print(f"{what}: not measured")
        return
    a, b = fastest[plain], fastest[watched]
    print(f"{what:34s} nothing set {a:7.2f} us   1,100 breakpoints {b:7.2f} us   {100 * (b - a) / a:+5.1f}%")

line("busy program, a frame", "framesPlain", "framesThousandBreakpoints")
line("monitor at its prompt, a frame", "monitorFramesPlain", "monitorFramesThousandBreakpoints")
if "framesDebuggerNothingSet" in fastest and "framesPlain" in fastest:
    a, b = fastest["framesPlain"], fastest["framesDebuggerNothingSet"]
    print(f"{'debugger attached, nothing set':34s} no debugger {a:7.2f} us   attached          {b:7.2f} us   {100 * (b - a) / a:+5.1f}%")
EOF
