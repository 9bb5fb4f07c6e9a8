#!/usr/bin/env bash
# Line coverage of the fuzz corpora: which lines of each target's readers
# the inputs found so far reach.
#
#   bash scripts/fuzz-coverage.sh [CORPUS_FOLDER] [TARGET...]
#
# Builds the fuzz programs once more with Clang's source-based coverage (in
# build/fuzz-coverage), runs each target once over every input of
# CORPUS_FOLDER/<target> (default build/fuzz/corpus, what scripts/fuzz.sh
# grew), its seeds and its kept findings, and prints the lines covered in the
# source files that read that target's files, then in all of src/.
set -uo pipefail
cd "$(dirname "$0")/.."
CORPUS=${1:-build/fuzz/corpus}
shift $(( $# > 0 ? 1 : 0 ))
ALL_TARGETS=(game_rom snapshot settings quick_type wav_tape raw_tape rom_image)
TARGETS=("${@:-${ALL_TARGETS[@]}}")
BUILD=build/fuzz-coverage

bash scripts/install-deps.sh || exit 1
mkdir -p "$BUILD"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTOREL_FUZZ=ON -DVANTOREL_TESTS=OFF -DVANTOREL_GUI=OFF "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
  -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >"$BUILD/configure.log" 2>&1 ||
  { cat "$BUILD/configure.log"; exit 1; }
cmake --build "$BUILD" -j "$(nproc)" || exit 1
rm -rf "$BUILD/seeds" "$BUILD/profiles"
mkdir -p "$BUILD/profiles"
LLVM_PROFILE_FILE=/dev/null "$BUILD/fuzz/make_fuzz_seeds" "$BUILD/seeds" || exit 1

# The source files that read each target's files.
readers() {
  case $1 in
    game_rom) echo src/machine/machine_files.cpp src/machine/binary_file.cpp src/machine/machine_memory.cpp ;;
    snapshot) echo src/machine/machine_files.cpp src/machine/snapshot_header.cpp src/machine/binary_file.cpp ;;
    settings) echo src/config/*.cpp ;;
    quick_type) echo src/input/quick_type.cpp src/input/quick_type_file.cpp src/input/quick_type_keys.cpp ;;
    wav_tape) echo src/cassette/wav_reader.cpp src/cassette/wav_tape_signal.cpp src/cassette/tape_deck.cpp src/cassette/uart_receiver.cpp ;;
    raw_tape) echo src/cassette/tape_files.cpp src/cassette/raw_tape_signal.cpp src/cassette/tape_deck.cpp src/cassette/uart_receiver.cpp ;;
    rom_image) echo src/machine/rom_files.cpp ;;
  esac
}

# Lines covered in the files whose names end in one of the given paths
# (llvm-cov names them as the compiler saw them, relative or absolute).
lines_covered() {
  local program=$1 profile=$2; shift 2
  llvm-cov-14 report "$program" -instr-profile="$profile" 2>/dev/null |
    awk -v wanted="$*" '
      BEGIN { n = split(wanted, paths, " ") }
      $1 != "TOTAL" && NF >= 10 {
        for (i = 1; i <= n; i++) {
          folder = paths[i] ~ /\/$/
          at = index($1, paths[i])
          if (at > 0 && (folder || at + length(paths[i]) == length($1) + 1)) {
            lines += $8; missed += $9; break
          }
        }
      }
      END { if (lines) printf "%d/%d lines (%.1f%%)", lines - missed, lines, 100 * (lines - missed) / lines }'
}

for target in "${TARGETS[@]}"; do
  program="$BUILD/fuzz/vantorel_fuzz_$target"
  folders=("$BUILD/seeds/$target")
  [[ -d $CORPUS/$target ]] && folders+=("$CORPUS/$target")
  [[ -d fuzz/regressions/$target ]] && folders+=("fuzz/regressions/$target")
  LLVM_PROFILE_FILE="$BUILD/profiles/$target.profraw" ASAN_OPTIONS=detect_leaks=0 \
    "$program" -runs=0 -artifact_prefix="$BUILD/profiles/$target-" "${folders[@]}" \
    >"$BUILD/profiles/$target.log" 2>&1 || echo "$target: an input failed, see $BUILD/profiles/$target.log"
  llvm-profdata-14 merge -sparse "$BUILD/profiles/$target.profraw" -o "$BUILD/profiles/$target.profdata"
  printf '%-11s readers: %-32s src/: %s\n' "$target" \
    "$(lines_covered "$program" "$BUILD/profiles/$target.profdata" $(readers "$target"))" \
    "$(lines_covered "$program" "$BUILD/profiles/$target.profdata" src/)"
done
