#!/usr/bin/env bash
# The whole test suite, twice: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer. Then two builds that are only
# compiled: Release with GCC (-O3 inlines enough for warnings of its own) and
# Clang. Last, every fuzz target for a short while (20 s each, about six
# minutes in all). Any failure, warning, sanitizer report or fuzz finding
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
scripts/setup.sh build
ctest --test-dir build --output-on-failure -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
scripts/setup.sh build-sanitize -DBVK_SANITIZE=ON -DBVK_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# Compile-only, tests included (most of GCC's -O3 warnings came from test
# code), benchmarks left out: the first build compiles them.
scripts/setup.sh build-release -DCMAKE_BUILD_TYPE=Release -DBVK_BENCHMARKS=OFF
CXX=clang++ scripts/setup.sh build-clang -DBVK_BENCHMARKS=OFF

scripts/fuzz.sh 20
