#!/usr/bin/env bash
# Quick start (2): install what is missing, build and run the whole test suite,
# once with warnings as errors and once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build/check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELKDATA_WERROR=ON -DVELKDATA_BUILD_BENCH=ON
cmake --build build/check -j "$jobs"
ctest --test-dir build/check -j "$jobs" --output-on-failure

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELKDATA_WERROR=ON -DVELKDATA_SANITIZE=address,undefined
cmake --build build/asan -j "$jobs"
# Leak detection stays on: back references in the model are weak, so a
# dropped graph must be freed in full.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j "$jobs" --output-on-failure
