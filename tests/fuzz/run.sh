#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time from the committed
# seed corpus (copied, so the repository's corpus stays as committed).
# Usage: run.sh BUILD_DIR [SECONDS_PER_TARGET]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=${2:-60}
CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1
for target in countrecord wav; do
  work=$(mktemp -d)
  cp "$here/corpus/$target"/* "$work/"
  echo "fuzz_$target: ${seconds}s from $(ls "$here/corpus/$target" | wc -l) seeds"
  # -rss_limit_mb: no input may make the reader allocate without bound.
  if ! "$build/fuzz_$target" -seed=1 -max_total_time="$seconds" -rss_limit_mb=512 \
       -malloc_limit_mb=64 -print_final_stats=1 -artifact_prefix="$build/crash-$target-" \
       "$work" > "$build/fuzz_$target.log" 2>&1; then
    tail -40 "$build/fuzz_$target.log"
    echo "fuzz_$target: FINDING (see $build/fuzz_$target.log)"
    rm -rf "$work"
    exit 1
  fi
  grep -E 'stat::number_of_executed_units|Done' "$build/fuzz_$target.log" | tail -2
  rm -rf "$work"
done
echo "fuzz: 2 passed, 0 failed"
