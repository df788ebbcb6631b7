#!/usr/bin/env bash
# Files per second of quillmoor-archive on a synthetic archive of hourly files
# made from the example station (LLUV output, all cores), and beside it the
# same conversions by bare Quillmoor runs, a process a file, as many at a time
# and without syncs: the most a route that starts Quillmoor for every file
# could do.
# The route runs several times, each into a fresh output folder, and the median
# is printed last.
#   scripts/benchmark_archive.sh [files] [build-folder] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."

files=${1:-2000}
build=$(readlink -f -- "${2:-build}")
runs=${3:-5}
quillmoor=$build/Quillmoor/Quillmoor
configs=$PWD/examples/station/Configs
jobs=$(nproc)
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

# timed WHAT COMMAND...: runs the command, its output dropped, prints the files per
# second and appends them to $tmp/rates.
timed() {
  local what=$1 start end
  shift
  start=$EPOCHREALTIME
  "$@" >/dev/null
  end=$EPOCHREALTIME
  awk -v what="$what" -v n="$files" -v s="$start" -v e="$end" -v jobs="$jobs" \
    -v rates="$tmp/rates" 'BEGIN {
      printf "%s: %d files in %.2f s, %d at a time: %.0f files/s\n", what, n, e - s, jobs, n / (e - s)
      printf "%.0f\n", n / (e - s) >>rates }'
}

bash QuillmoorArchive/tests/make_synthetic_archive.sh examples/station "$tmp/archive" BRNK \
  '2025-06-01 00:00' "$files"
# An archive is on the disk before it is reprocessed: its own writeback must not
# fall into the timed runs.
sync -f -- "$tmp"
# Nothing is deleted between the runs: on a file system without a journal, ext4
# skips the inodes of files deleted in the last half minute when it makes new
# ones, and the earlier runs' deletions would slow the later runs.
: >"$tmp/rates"
for ((run = 1; run <= runs; run++)); do
  timed "quillmoor-archive, run $run" "$build/QuillmoorArchive/quillmoor-archive" \
    --configs "$configs" "$tmp/archive" "$tmp/out$run"
done
sort -n "$tmp/rates" | awk '{ rate[NR] = $1 } END {
  printf "quillmoor-archive: median %d files/s of %d runs (%d-%d)\n", rate[int((NR + 1) / 2)], NR, rate[1], rate[NR] }'
mkdir "$tmp/bare"
find "$tmp/archive" -type f -print0 >"$tmp/list"
# The route syncs once per group of outputs; the ceiling syncs none.
BVK_DEFER_SYNC=1 timed "Quillmoor alone, no syncs" xargs -0 -P "$jobs" -I{} -a "$tmp/list" \
  "$quillmoor" -1 "" "" "$tmp/bare/" {} 1 0 "$configs/" -1 ""
