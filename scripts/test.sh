#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the test suite (unit, widget, the real program under Xvfb and real window
#      managers, real playback, the package unpacked and checked, a smoke run
#      of the benchmark so that it cannot rot);
#   2. the package installed on this machine, its alarm recorded, and removed;
#   3. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   4. the fuzz targets for the data file and the chime, for a bounded time.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
build

echo "== Test suite"
(cd "$BUILD" && ctest --output-on-failure -j"$(nproc)")

echo "== The package installed"
bash "$ROOT/tests/installed_package.sh" "$(ls "$BUILD"/zentova_*.deb | head -n 1)"

echo "== Test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
SAN="$ROOT/build-sanitize"
cmake -S "$ROOT" -B "$SAN" -DCMAKE_BUILD_TYPE=Debug -DZENTOVA_SANITIZE=ON -DBUILD_TESTING=ON \
  -DZENTOVA_BENCH=OFF >/dev/null
cmake --build "$SAN" -j"$(nproc)" >/dev/null
# Qt and fontconfig keep caches for the life of the process; leaks of our
# own code are the fuzzers' part, where nothing else runs.
# The package is checked once, in the first pass.
(cd "$SAN" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$(nproc)" -E '^package$')

echo "== Fuzzing"
# 20 s each keeps the whole command well inside CI's time; a longer run is
# ZENTOVA_FUZZ_SECONDS=600 bash scripts/test.sh.
bash "$ROOT/tests/fuzz/run.sh" "$ROOT/build-fuzz" "${ZENTOVA_FUZZ_SECONDS:-20}"
