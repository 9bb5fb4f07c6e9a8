#!/usr/bin/env bash
# Builds the emulator (optimised) and starts it. Extra arguments go to vantorel.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target vantorel vantorel_desktop_files
exec build/release/src/shell/vantorel "$@"
