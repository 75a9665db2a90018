#!/usr/bin/env bash
# Quick start (1): install what is missing, build, run the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKDATA_BUILD_TESTS=OFF
cmake --build build/release --target velkcost
build/release/tools/velkcost
