#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own) and runs each
# target in turn for the given seconds, then prints a table of the runs.
#   scripts/fuzz.sh [seconds-per-target] [target...]
# Targets and their seeds and dictionaries are listed in fuzz/targets.txt.
# Each target's corpus grows in <build>/corpus/<target>; an input that
# crashes, leaks, hangs or runs out of memory is written to
# fuzz/regressions/<target>/, where every build's ctest replays it once it
# is committed. The exit status is 1 when any target failed.
# BVK_FUZZ_BUILD names the build folder (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
case "$seconds" in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [seconds-per-target] [target...]" >&2; exit 2 ;;
esac
build=${BVK_FUZZ_BUILD:-build-fuzz}
root=$(pwd)

# clang warns where GCC does not; the GCC builds hold the line on warnings.
CC=clang CXX=clang++ scripts/setup.sh --target fuzz_targets "$build" -DBVK_FUZZ=ON \
  -DBVK_BENCHMARKS=OFF -DBVK_WERROR=OFF >/dev/null

# Every target runs alone: leaks are checked, a single input may take 10 s
# and the whole process 2 GB.
fuzz_options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

wanted=("$@")
rows=()
failed=0
while read -r target dict seeds; do
  case "$target" in '' | '#'*) continue ;; esac
  if [ ${#wanted[@]} -gt 0 ] && [[ " ${wanted[*]} " != *" $target "* ]]; then
    continue
  fi
  # A target with an open finding would fail every run until it is fixed: it is
  # run when named, not in the run of all targets.
  if [ ${#wanted[@]} -eq 0 ] && [ -d "fuzz/findings/$target" ]; then
    echo "== $target: skipped, open finding in fuzz/findings/$target"
    continue
  fi
  corpus="$build/corpus/$target"
  regressions="fuzz/regressions/$target"
  log="$build/logs/$target.log"
  mkdir -p "$corpus" "$regressions" "$(dirname "$log")"
  read -r -a seed_files <<<"$seeds"
  for seed in "${seed_files[@]}"; do
    cp -f "$seed" "$corpus/seed-$(basename "$seed")"
  done
  options=("${fuzz_options[@]}" -artifact_prefix="$root/$regressions/")
  [ "$dict" = "-" ] || options+=(-dict="fuzz/dict/$dict")
  before=$(find "$regressions" -type f | wc -l)
  echo "== $target: ${seconds} s"
  status=0
  "$build/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$regressions" >"$log" 2>&1 || status=$?
  after=$(find "$regressions" -type f | wc -l)
  crashes=$((after - before))
  if [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ]; then crashes=1; fi
  if [ "$crashes" -gt 0 ]; then
    failed=1
    echo "   failed (status $status), see $log"
    grep -m 3 -E 'ERROR|SUMMARY|round trip' "$log" | sed 's/^/   /' || true
  fi
  # A run that fails at once prints no statistics.
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
  rows+=("$(printf '%-18s %8s %12s %9s %9s %8s' "$target" "$seconds" "${runs:-?}" \
    "${coverage:-?}" "${features:-?}" "$crashes")")
done <fuzz/targets.txt

printf '%-18s %8s %12s %9s %9s %8s\n' target seconds executions coverage features crashes
printf '%s\n' "${rows[@]}"
exit "$failed"
