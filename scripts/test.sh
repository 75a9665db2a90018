#!/usr/bin/env bash
# Quick start (2): install what is missing, then build and run the whole test
# suite against Qt 6 and against Qt 5 with warnings as errors, check that a
# host finds each of the two builds when both are installed side by side, and
# run the suite once more (Qt 6) under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
VELKDATA_QT_MAJORS="5 6" bash scripts/deps.sh
jobs=$(nproc)

for major in 6 5; do
  dir=build/check-qt$major
  extra=()
  # The benchmarks do not depend on the Qt major; build them once.
  if [ "$major" = 6 ]; then extra+=(-DVELKDATA_BUILD_BENCH=ON); fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELKDATA_QT_MAJOR=$major -DVELKDATA_WERROR=ON "${extra[@]}"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
done

# Both builds installed into one prefix: each host gets the build of its Qt.
cmake -DBUILD_DIRS="$PWD/build/check-qt5;$PWD/build/check-qt6" \
  -DSOURCE_DIR="$PWD/tests/install/consumer" \
  -DWORK_DIR="$PWD/build/side-by-side" -DGENERATOR=Ninja \
  -P tests/install/check_consumer.cmake
echo "Side-by-side install of the Qt 5 and Qt 6 builds: consumers OK"

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELKDATA_QT_MAJOR=6 \
  -DVELKDATA_WERROR=ON -DVELKDATA_SANITIZE=address,undefined
cmake --build build/asan -j "$jobs"
# Leak detection stays on: back references in the model are weak, so a
# dropped graph must be freed in full.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j "$jobs" --output-on-failure
