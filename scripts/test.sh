#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer with short fuzzer runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

JOBS=$(nproc)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "== Build (release with debug info)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLORY_BUILD_SHELL=ON -DQUILLORY_BUILD_FUZZ=OFF -DQUILLORY_SANITIZE=OFF >/dev/null
cmake --build build -j "$JOBS"
echo "== Build with CMake's default generator, up to the generated sources"
# The build must not depend on Ninja creating folders; configure without -G and build the samples.
env -u CMAKE_GENERATOR cmake -S . -B build-default -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLORY_BUILD_SHELL=OFF \
  -DQUILLORY_BUILD_BENCH=OFF -DQUILLORY_BUILD_FUZZ=OFF -DQUILLORY_SANITIZE=OFF >/dev/null
cmake --build build-default -j "$JOBS" --target quillory_samples
echo "== Tests"
rm -rf build/gtest-results
GTEST_OUTPUT="xml:$PWD/build/gtest-results/" ctest --test-dir build --output-on-failure -j "$JOBS" | tee build/ctest.log

echo "== Build (AddressSanitizer + UndefinedBehaviorSanitizer, with fuzzers)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILLORY_SANITIZE=ON -DQUILLORY_BUILD_FUZZ=ON -DQUILLORY_BUILD_BENCH=OFF -DQUILLORY_BUILD_SHELL=ON >/dev/null
cmake --build build-asan -j "$JOBS"
echo "== Tests under sanitizers"
rm -rf build-asan/gtest-results
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp
GTEST_OUTPUT="xml:$PWD/build-asan/gtest-results/" ctest --test-dir build-asan --output-on-failure -j "$JOBS" | tee build-asan/ctest.log

echo "== Short fuzzer runs"
bash scripts/fuzz.sh 15

# One closing line over both runs, counted from the GoogleTest reports.
count() {
  cat "$1"/gtest-results/*.xml 2>/dev/null | sed -n "s/^<testsuites tests=\"\([0-9]*\)\" failures=\"\([0-9]*\)\".*/\1 \2/p"
}
read -r passed failed < <({ count build; count build-asan; } | awk '{t += $1; f += $2} END {print t - f, f}')
echo "tests: $passed passed, $failed failed"
