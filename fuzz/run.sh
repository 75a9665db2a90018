#!/usr/bin/env bash
# Builds a fuzz target with clang and runs it.
#
#   bash fuzz/run.sh [seconds] [formula|archive]     (default 600 formula)
#
# formula: the formula engine, seeded from fuzz/corpus/.
# archive: CostDatabase::FromCharArray, seeded from the golden archives
#          (tests/data/*.vdb) and fuzz/corpus-archive/ if present. It runs
#          with an RSS limit of 2 GB and a malloc limit, since the reader
#          must never allocate far beyond the size of its input.
#
# The seeds are copied first, so that the inputs libFuzzer adds stay in the
# build directory. Crash, leak and timeout reproducers go to fuzz/artifacts/.
# The build directory is build/fuzz unless VELKDATA_FUZZ_BUILD_DIR names
# another. Extra libFuzzer options may follow in VELKDATA_FUZZ_OPTIONS.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
target="${2:-formula}"
build="${VELKDATA_FUZZ_BUILD_DIR:-build/fuzz}"

case "$target" in
  formula)
    seeds=(fuzz/corpus)
    options=(-max_len=256 -timeout=5)
    ;;
  archive)
    seeds=(tests/data fuzz/corpus-archive)
    options=(-max_len=65536 -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256)
    ;;
  *)
    echo "unknown fuzz target '$target' (formula or archive)" >&2
    exit 2
    ;;
esac

VELKDATA_WITH_CLANG=1 bash scripts/deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVELKDATA_BUILD_FUZZ=ON \
  -DVELKDATA_BUILD_TESTS=OFF -DVELKDATA_BUILD_TOOLS=OFF
cmake --build "$build" --target "${target}_fuzz"

corpus="$build/fuzz/corpus-$target"
rm -rf "$corpus"
mkdir -p "$corpus" fuzz/artifacts
for dir in "${seeds[@]}"; do
  if [ -d "$dir" ]; then
    find "$dir" -maxdepth 1 -type f ! -name '*.md' ! -name '*.txt' \
      -exec cp {} "$corpus"/ \;
  fi
done

# shellcheck disable=SC2086
ASAN_OPTIONS=detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$build/fuzz/${target}_fuzz" "$corpus" \
    -max_total_time="$seconds" "${options[@]}" -detect_leaks=1 \
    -print_final_stats=1 -artifact_prefix=fuzz/artifacts/ \
    ${VELKDATA_FUZZ_OPTIONS:-}
