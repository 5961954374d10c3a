#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer with short fuzzer runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

JOBS=$(nproc)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "== Build (release with debug info)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"
echo "== Tests"
ctest --test-dir build --output-on-failure -j "$JOBS"

echo "== Build (AddressSanitizer + UndefinedBehaviorSanitizer, with fuzzers)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILLORY_SANITIZE=ON -DQUILLORY_BUILD_FUZZ=ON -DQUILLORY_BUILD_BENCH=OFF -DQUILLORY_BUILD_SHELL=OFF >/dev/null
cmake --build build-asan -j "$JOBS"
echo "== Tests under sanitizers"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$JOBS"

echo "== Short fuzzer runs"
bash scripts/fuzz.sh 15
