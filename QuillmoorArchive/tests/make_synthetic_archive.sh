#!/usr/bin/env bash
# Writes an archive of hourly classic radial files made from the example
# station's radial file, one folder per site and year:
#   make_synthetic_archive.sh STATION_DIR ARCHIVE_DIR 'SITE...' 'YYYY-MM-DD HH:MM' HOURS
# The map time is the number at the end of the first line: local seconds since
# 1904 as a signed 32-bit value.
set -euo pipefail
# Names and times in UTC and in English, formatted by bash itself (no process a file).
export TZ=UTC0 LC_ALL=C

station=$1
archive=$2
read -r -a sites <<<"$3"
start=$(date -u -d "$4" +%s)
hours=$5

readonly unix_to_1904=2082844800
body=$(tail -n +2 "$station/Processing/RadialData.txt")
for site in "${sites[@]}"; do
  for hour in $(seq 0 $((hours - 1))); do
    t=$((start + hour * 3600))
    printf -v year '%(%Y)T' "$t"
    printf -v name_date '%(%y-%m-%d_%H%M)T' "$t"
    printf -v text '%(%H:%M:%S  %A, %B %-d, %Y PST)T' "$t"
    folder=$archive/$site/$year
    [ -d "$folder" ] || mkdir -p "$folder"
    stamp=$((t + unix_to_1904))
    [ "$stamp" -lt 2147483648 ] || stamp=$((stamp - 4294967296))
    {
      printf ' %-47.47s               %d\n' "$text" "$stamp"
      printf '%s\n' "$body"
    } >"$folder/Radi${site}_$name_date.rv"
  done
done
