#!/usr/bin/env bash
# Applies each planted fault (tests/faults/NN-name.diff) in turn, builds,
# runs the unit tests (all but the end-to-end run, the package and the
# benchmark), and reverts it. Prints a line a fault and fails when a fault
# went unnoticed. Usage: run.sh [BUILD_DIR] [FAULT...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
cd "$root"
faults=("$@")
[ ${#faults[@]} -gt 0 ] || faults=("$here"/*.diff)
missed=0
for diff in "${faults[@]}"; do
  name=$(basename "$diff" .diff)
  git apply "$diff" || { echo "$name: does not apply"; missed=$((missed + 1)); continue; }
  if ! cmake --build "$build" -j"$(nproc)" >/dev/null 2>&1; then
    echo "$name: caught by the build"
  elif (cd "$build" && ctest -j"$(nproc)" -E '^(tst_e2e|tst_startfolder|package|bench_smoke|leftovers)$' \
          >"$build/fault-$name.log" 2>&1); then
    echo "$name: MISSED"
    missed=$((missed + 1))
  else
    echo "$name: caught by $(grep -oE '[0-9]+ - [a-z_]+' "$build/fault-$name.log" | sed 's/^[0-9]* - //' | paste -sd, -)"
  fi
  git apply -R "$diff"
done
cmake --build "$build" -j"$(nproc)" >/dev/null 2>&1
echo "${#faults[@]} faults planted, $missed missed"
[ "$missed" -eq 0 ]
