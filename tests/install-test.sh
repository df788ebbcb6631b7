#!/usr/bin/env bash
# Installs a build folder into a temporary prefix, then builds the project in
# tests/downstream against it twice, through find_package(Brenvik CONFIG) and
# through pkg-config; both programs read an LLUV file and measure a geodesic.
#   tests/install-test.sh BUILD-FOLDER SOURCE-FOLDER CXX-COMPILER
set -euo pipefail
build=$1
source=$2
cxx=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/bvk-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() {
  echo "$*"
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

# The programs and pages are there, nothing of the tests or benchmarks is, and
# no installed text file points back into the source or build folders.
for path in bin/Quillmoor bin/Fenwright bin/lluv bin/quillmoor-archive share/man/man1/Quillmoor.1.gz share/man/man1/lluv.1.gz \
  share/man/man1/Fenwright.1.gz share/man/man1/quillmoor-archive.1.gz; do
  [ -e "$prefix/$path" ] || fail "not installed: $path"
done
leftovers=$(find "$prefix" -name '*Tests' -o -name '*Benchmark*' -o -name '*Test.cpp')
[ -z "$leftovers" ] || fail "installed but test code: $leftovers"
if grep -rlIF -e "$source" -e "$build" "$prefix"; then
  fail "installed files name the source or build folder"
fi
"$prefix/bin/Quillmoor" --version | grep -q '^Quillmoor ' || fail "installed Quillmoor does not run"

# Two vectors in the file (its table has two rows) around its origin 36.9 N
# 122.0 W; one degree of the equator is the WGS 84 semi-major axis 6378137 m
# times pi/180.
lluv=$source/BvkLibraries/BvkInterface/tests/data/RDLs_TEST_2008_01_08_1430.ruv
expected=$'2 vectors from 36.9000 -122.0000\n111319.491 m'
check() {
  local out
  out=$("$1" "$lluv")
  [ "$out" = "$expected" ] || fail "$1 printed: $out"
}

cmake -S "$source/tests/downstream" -B "$work/cmake-build" -G Ninja \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake-build" >/dev/null
check "$work/cmake-build/lluv-origin"

pc_file=$(find "$prefix" -name brenvik.pc)
[ -n "$pc_file" ] || fail "brenvik.pc not installed"
export PKG_CONFIG_PATH=${pc_file%/*}
[ "$(pkg-config --variable=prefix brenvik)" = "$prefix" ] || fail "brenvik.pc names another prefix"
read -r -a flags <<<"$(pkg-config --cflags --libs brenvik)"
"$cxx" -std=c++20 -o "$work/lluv-origin-pc" "$source/tests/downstream/main.cpp" "${flags[@]}"
check "$work/lluv-origin-pc"
