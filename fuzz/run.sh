#!/usr/bin/env bash
# Builds the formula fuzzer with clang and runs it.
#
#   bash fuzz/run.sh [seconds]        (default 600)
#
# The checked-in seed corpus is copied first, so that the inputs libFuzzer
# adds stay in the build directory. Crash, leak and timeout reproducers go
# to fuzz/artifacts/. The build directory is build/fuzz unless
# VELKDATA_FUZZ_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
build="${VELKDATA_FUZZ_BUILD_DIR:-build/fuzz}"

VELKDATA_WITH_CLANG=1 bash scripts/deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVELKDATA_BUILD_FUZZ=ON \
  -DVELKDATA_BUILD_TESTS=OFF -DVELKDATA_BUILD_TOOLS=OFF
cmake --build "$build" --target formula_fuzz

corpus="$build/fuzz/corpus-work"
rm -rf "$corpus"
mkdir -p "$corpus" fuzz/artifacts
cp fuzz/corpus/* "$corpus"/

ASAN_OPTIONS=detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$build/fuzz/formula_fuzz" "$corpus" \
    -max_total_time="$seconds" -max_len=256 -timeout=5 -detect_leaks=1 \
    -print_final_stats=1 -artifact_prefix=fuzz/artifacts/
