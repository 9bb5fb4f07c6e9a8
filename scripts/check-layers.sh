#!/usr/bin/env bash
# Checks the include graph of src/: a folder includes only folders on its own
# floor or below, Qt only in shell/, SDL only in host/. Prints every include
# that runs back up a floor and fails; the test command runs it (CTest
# "Layers.IncludeGraph").
#
# Floors, lowest first:
#   0 hostapi files   1 z80   2 config   3 cassette input sound
#   4 machine   5 timeline   6 debug   7 app   8 host   9 shell
set -uo pipefail
cd "$(dirname "$0")/.."

floor() {
  case "$1" in
    hostapi | files) echo 0 ;;
    z80) echo 1 ;;
    config) echo 2 ;;
    cassette | input | sound) echo 3 ;;
    machine) echo 4 ;;
    timeline) echo 5 ;;
    debug) echo 6 ;;
    app) echo 7 ;;
    host) echo 8 ;;
    shell) echo 9 ;;
    *) echo -1 ;;
  esac
}

faults=0
for folder in src/*/; do
  from=$(basename "$folder")
  from_floor=$(floor "$from")
  if [ "$from_floor" -lt 0 ]; then
    echo "src/$from: a folder with no floor (add it to scripts/check-layers.sh)"
    faults=$((faults + 1))
    continue
  fi
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    file=${hit%%:*}
    to=$(printf '%s' "$hit" | sed -n 's/.*#include "\([a-z0-9_]*\)\/.*/\1/p')
    to_floor=$(floor "$to")
    if [ "$to_floor" -gt "$from_floor" ]; then
      echo "$file includes $to/ (floor $to_floor above floor $from_floor)"
      faults=$((faults + 1))
    fi
  done < <(grep -rn -E '^#include "[a-z0-9_]+/' "$folder" || true)
  if [ "$from" != shell ] && grep -rln -E '^#include <Q' "$folder"; then
    echo "  ^ Qt outside src/shell"
    faults=$((faults + 1))
  fi
  if [ "$from" != host ] && grep -rln -E '^#include <SDL' "$folder"; then
    echo "  ^ SDL outside src/host"
    faults=$((faults + 1))
  fi
done

if ((faults)); then
  echo "$faults include(s) against the floors"
  exit 1
fi
echo "Include graph: every include stays on its floor or below"
