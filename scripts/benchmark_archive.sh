#!/usr/bin/env bash
# Files per second of quillmoor-archive on a synthetic archive of hourly files
# made from the example station (LLUV output, all cores):
#   scripts/benchmark_archive.sh [files] [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

files=${1:-2000}
build=${2:-build}
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT

bash QuillmoorArchive/tests/make_synthetic_archive.sh examples/station "$tmp/archive" BRNK \
  '2025-06-01 00:00' "$files"
start=$(date +%s.%N)
"$build/QuillmoorArchive/quillmoor-archive" --quillmoor "$build/Quillmoor/Quillmoor" \
  --configs examples/station/Configs "$tmp/archive" "$tmp/out"
end=$(date +%s.%N)
awk -v n="$files" -v s="$start" -v e="$end" -v cores="$(nproc)" \
  'BEGIN { printf "%d files in %.2f s on %d cores: %.0f files/s\n", n, e - s, cores, n / (e - s) }'
