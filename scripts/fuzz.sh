#!/usr/bin/env bash
# Fuzzes every file reader of Vantorel with libFuzzer.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Builds the fuzz programs with Clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, writes each target's seed inputs,
# and runs each target for SECONDS (default 60), one after another, or
# FUZZ_JOBS of them at a time. The corpus each run grows is kept in
# build/fuzz/corpus/<target> for the next run; inputs that crash, hang or
# fail a check are saved as build/fuzz/findings/<target>-*. Prints one line
# per target (executions, coverage, findings) and exits 1 when there was any
# finding. FUZZ_BUILD names another build folder. Targets: game_rom snapshot settings quick_type wav_tape raw_tape
# rom_image symbol_file gdb_packets (all when none is named).
set -uo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
ALL_TARGETS=(game_rom snapshot settings quick_type wav_tape raw_tape rom_image symbol_file gdb_packets)
TARGETS=("${@:-${ALL_TARGETS[@]}}")
JOBS=${FUZZ_JOBS:-1}
BUILD=${FUZZ_BUILD:-build/fuzz}

if ! [[ $SECONDS_EACH =~ ^[0-9]+$ ]] || ((SECONDS_EACH < 1)); then
  echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi
for target in "${TARGETS[@]}"; do
  if [[ " ${ALL_TARGETS[*]} " != *" $target "* ]]; then
    echo "fuzz.sh: no target called $target (targets: ${ALL_TARGETS[*]})" >&2
    exit 2
  fi
done

bash scripts/install-deps.sh || exit 1
mkdir -p "$BUILD"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTOREL_FUZZ=ON -DVANTOREL_TESTS=OFF -DVANTOREL_GUI=OFF "${launcher[@]}" >"$BUILD/configure.log" 2>&1 ||
  { cat "$BUILD/configure.log"; exit 1; }
cmake --build "$BUILD" -j "$(nproc)" || exit 1

rm -rf "$BUILD/seeds"
"$BUILD/fuzz/make_fuzz_seeds" "$BUILD/seeds" || exit 1
mkdir -p "$BUILD/corpus" "$BUILD/findings" "$BUILD/logs"

# The longest input each target is given: its largest file that still plays
# or runs through within one input's time.
max_len() {
  case $1 in
    game_rom) echo 16385 ;;
    snapshot) echo 65565 ;;
    settings) echo 16384 ;;
    quick_type) echo 4096 ;;
    wav_tape) echo 16384 ;;
    raw_tape) echo 1024 ;;
    rom_image) echo 4098 ;;
    symbol_file) echo 65536 ;;
    gdb_packets) echo 2048 ;;
  esac
}

run_target() {
  local target=$1 log="$BUILD/logs/$1.log" options=()
  [[ -f fuzz/dict/$target.dict ]] && options+=(-dict="fuzz/dict/$target.dict")
  mkdir -p "$BUILD/corpus/$target"
  rm -f "$BUILD/findings/$target"-*
  # Kept findings are read as corpus too; new inputs go to the first folder.
  local kept=()
  [[ -d fuzz/regressions/$target ]] && kept+=("fuzz/regressions/$target")
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$BUILD/fuzz/vantorel_fuzz_$target" "${options[@]}" -max_total_time="$SECONDS_EACH" \
    -max_len="$(max_len "$target")" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$BUILD/findings/$target-" \
    "$BUILD/corpus/$target" "$BUILD/seeds/$target" "${kept[@]}" >"$log" 2>&1
}

report_target() {
  local target=$1 log="$BUILD/logs/$1.log"
  local runs seconds cov ft corpus findings
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  seconds=$(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$log" | grep -oE '[0-9]+ second' | grep -oE '[0-9]+')
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  corpus=$(find "$BUILD/corpus/$target" -type f | wc -l)
  findings=$(find "$BUILD/findings" -name "$target-*" -type f | wc -l)
  printf '%-11s %8s s %12s runs %10s edges %10s features %7s inputs %3s findings\n' \
    "$target" "${seconds:-?}" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$corpus" "$findings"
  if ((findings)) || [[ -z $runs ]]; then
    echo "--- $target: see $log" >&2
    grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written' "$log" | head -8 >&2
    return 1
  fi
}

echo "Fuzzing ${#TARGETS[@]} target(s) for $SECONDS_EACH s each, $JOBS at a time"
running=0
for target in "${TARGETS[@]}"; do
  run_target "$target" &
  running=$((running + 1))
  if ((running >= JOBS)); then wait -n; running=$((running - 1)); fi
done
wait

status=0
for target in "${TARGETS[@]}"; do report_target "$target" || status=1; done
if ((status)); then echo "FUZZING FOUND PROBLEMS: inputs are in $BUILD/findings"; fi
exit $status
