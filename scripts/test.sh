#!/usr/bin/env bash
# Builds Vantorel twice, optimised and with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test in both builds; installs
# the optimised build into a temporary prefix and checks it
# (scripts/check-install.sh), makes and checks its Debian package
# (scripts/package.sh); then builds the libFuzzer programs and runs each
# one briefly.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1

export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
JOBS=$(nproc)
status=0

build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" || return 1
  cmake --build "$dir" -j "$JOBS" || return 1
  (cd "$dir" && ctest --output-on-failure -j "$JOBS")
}

echo "=== Optimised build ==="
build_and_test build/release -DCMAKE_BUILD_TYPE=Release -DVANTOREL_BENCHMARKS=ON || status=1
echo "=== Installed into a temporary prefix ==="
bash scripts/check-install.sh build/release || status=1
echo "=== Debian package ==="
bash scripts/package.sh build/release || status=1
echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build ==="
build_and_test build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_SANITIZE=ON || status=1
echo "=== Fuzz targets, a few seconds each ==="
bash scripts/fuzz.sh 4 || status=1

if ((status)); then echo "FAILED: see the test output above"; fi
exit $status
