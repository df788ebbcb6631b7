#!/usr/bin/env bash
# quillmoor-archive on a synthetic archive: two sites, hourly files across a
# year boundary, three broken files among them.
#   archive_test.sh ARCHIVE_SCRIPT QUILLMOOR SOURCE_DIR QUILLMOOR_BATCH
# The route finds its programs in the build folder by itself.
set -euo pipefail

archive_script=$1
quillmoor=$2
source_dir=$3
batch=$4
sbatch=$source_dir/examples/slurm/quillmoor-archive.sbatch
station=$source_dir/examples/station

tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT
failures=0
check() {
  local what=$1
  shift
  if "$@"; then
    printf 'ok: %s\n' "$what"
  else
    printf 'FAILED: %s\n' "$what"
    failures=$((failures + 1))
  fi
}

# Configs per site: the example's, with the site code changed for the second.
for site in BRNK TSMR; do
  mkdir -p "$tmp/configs/$site"
  cp "$station/Configs/"* "$tmp/configs/$site/"
  sed -i "1s/BRNK/$site/" "$tmp/configs/$site/Header.txt"
done

# 151 hourly files a site across the new year, and three broken ones.
bash "$(dirname "$0")/make_synthetic_archive.sh" "$station" "$tmp/archive" 'BRNK TSMR' \
  '2025-12-29 18:00' 151
mapfile -t good < <(find "$tmp/archive" -name 'Rad*' | sort)
radial_body=$(tail -n +2 "$station/Processing/RadialData.txt")
# Broken: empty, not a radial file at all, and a file with no time.
: >"$tmp/archive/BRNK/2025/RadiBRNK_25-12-31_0030.rv"
printf 'garbage\x01\x02 not a radial file\n' >"$tmp/archive/TSMR/2026/RadiTSMR_26-01-02_0030.rv"
printf '%s\n' "$radial_body" >"$tmp/archive/BRNK/2026/RadiBRNK_26-01-03_0030.rv"
broken=(BRNK/2025/RadiBRNK_25-12-31_0030.rv TSMR/2026/RadiTSMR_26-01-02_0030.rv
  BRNK/2026/RadiBRNK_26-01-03_0030.rv)
# A twin under the station's other name: the same output name from two sources of
# one batch (of 39), both converted; the later output stays, equal to the earlier.
cp "$tmp/archive/BRNK/2025/RadiBRNK_25-12-31_2300.rv" "$tmp/archive/BRNK/2025/RdlsBRNK_2025_12_31_2300.rv"

run_archive() {
  local status=0
  "$archive_script" --jobs 2 --configs-pattern "$tmp/configs/{site}" \
    "$@" "$tmp/archive" "$tmp/out" >"$tmp/summary" 2>&1 || status=$?
  cat "$tmp/summary"
  return "$status"
}

status=0
run_archive || status=$?
check "exit status 1 when files failed" [ "$status" -eq 1 ]
check "summary counts" grep -qx 'quillmoor-archive: 303 converted, 0 skipped, 3 failed' "$tmp/summary"
for b in "${broken[@]}"; do
  check "failure listed with its code: $b" \
    grep -qE "^  failed $tmp/archive/$b: Failure -?[0-9]+: .* \(exit [0-9]+\)$" "$tmp/summary"
done
# The job log: every file once, the broken ones with their failure code modulo 256.
job_log_right() {
  awk -F '\t' 'NR == 1 { ok = $0 == "source\texit_status\tseconds\thost\tmessage"; next }
    $2 != 0 { split($5, code, /[ :]/); ok = ok && $2 == (code[2] + 256) % 256; print $1 }
    END { exit !(ok && NR == 307) }' "$tmp/out/archive-joblog.tsv" >"$tmp/failed.txt" &&
    cmp -s <(sort "$tmp/failed.txt") <(printf "$tmp/archive/%s\n" "${broken[@]}" | sort)
}
check "job log gives every file's exit status" job_log_right

# Resume: nothing converted again, the failed ones retried; a touched source converted again.
status=0
run_archive --resume || status=$?
check "resume skips every converted file" \
  grep -qx 'quillmoor-archive: 0 converted, 303 skipped, 3 failed' "$tmp/summary"
check "resume still reports the failures" [ "$status" -eq 1 ]
touch -d '+1 minute' "${good[7]}"
run_archive --resume >/dev/null || true
check "a touched source is converted again" \
  grep -qx 'quillmoor-archive: 1 converted, 302 skipped, 3 failed' "$tmp/summary"

# Every good file once, under its site and year, as a run of Quillmoor alone writes it
# (the UUID and the processing time differ between any two runs).
check "one LLUV file per good source" [ "$(find "$tmp/out" -name '*.ruv' | wc -l)" -eq "${#good[@]}" ]
for g in "${good[@]}"; do
  name=${g##*/}
  site=${name:4:4}
  single=$tmp/single/$site/20${name:9:2}
  [ -d "$single" ] || mkdir -p "$single"
  "$quillmoor" -1 "" "" "$single/" "$g" 1 0 "$tmp/configs/$site/" >/dev/null
done
find "$tmp/single" "$tmp/out" -name '*.ruv' -exec sed -i -E '/^%(UUID|ProcessedTimeStamp):/d' {} +
check "archive outputs equal single runs, in SITE/YEAR folders" \
  diff -r -x .quillmoor-archive -x 'archive-joblog*' "$tmp/single" "$tmp/out"

# Dry run: one command per file, nothing written.
"$archive_script" --configs "$tmp/configs/BRNK" --dry-run \
  "$tmp/archive/BRNK" "$tmp/dry" >"$tmp/dry.txt" 2>/dev/null
dry_run_wrote_nothing() { [ -z "$(find "$tmp/dry" -type f 2>/dev/null)" ]; }
check "dry run prints a Quillmoor command per file" \
  [ "$(grep -c "^$(printf '%q' "$quillmoor") -1 " "$tmp/dry.txt")" -eq 154 ]
check "dry run writes nothing" dry_run_wrote_nothing

# quillmoor-batch that converts the files of its list up to one, and there kills
# its batch's shell (shell) or itself (self).
#   dying_batch NAME shell|self
dying_batch() {
  local victim=PPID
  [ "$2" = shell ] || victim=BASHPID
  cat >"$tmp/$1" <<EOF
#!/usr/bin/env bash
list=\${!#}
[ "\$list" != - ] || list=/dev/stdin
mapfile -t jobs <"\$list"
for ((i = 0; i < \${#jobs[@]}; i++)); do
  [ "\${jobs[i]%%\$'\t'*}" != "${good[20 + 12]}" ] || break
done
printf '%s\n' "\${jobs[@]:0:i}" >"$tmp/$1.jobs"
"$batch" "\${@:1:\$#-1}" "$tmp/$1.jobs"
[ "\$i" -eq "\${#jobs[@]}" ] || kill -KILL "\$$victim"
EOF
  chmod +x "$tmp/$1"
}

# A batch that dies (a lost machine, a killed run) takes its unfinished files with it:
# they count as failed, and a resumed run converts exactly them. Twenty files on one
# job slot go in two batches of ten; the second dies at its third file.
dying_batch dying-batch shell
printf '%s\n' "${good[@]:20:20}" >"$tmp/twenty.txt"
"$archive_script" --quillmoor-batch "$tmp/dying-batch" --jobs 1 --configs-pattern "$tmp/configs/{site}" \
  --files-from "$tmp/twenty.txt" "$tmp/archive" "$tmp/died" >"$tmp/summary" 2>/dev/null || true
check "a dead batch's files count as failed" \
  grep -qx 'quillmoor-archive: 10 converted, 0 skipped, 10 failed' "$tmp/summary"
check "the job log shows them without a result" \
  [ "$(grep -c $'\t-\t-\t-\tended without a result$' "$tmp/died/archive-joblog.tsv")" -eq 10 ]
"$archive_script" --jobs 1 --configs-pattern "$tmp/configs/{site}" --resume \
  --files-from "$tmp/twenty.txt" "$tmp/archive" "$tmp/died" >"$tmp/summary"
check "resume converts exactly them" \
  grep -qx 'quillmoor-archive: 10 converted, 10 skipped, 0 failed' "$tmp/summary"

# A conversion that crashes its process fails alone, with the status of its crash
# (SIGKILL: 137); the rest of its batch is converted.
dying_batch crashing-batch self
"$archive_script" --quillmoor-batch "$tmp/crashing-batch" --jobs 1 --configs-pattern "$tmp/configs/{site}" \
  --files-from "$tmp/twenty.txt" "$tmp/archive" "$tmp/crashed" >"$tmp/summary" 2>/dev/null || true
check "a crash fails only its own file" \
  grep -qx 'quillmoor-archive: 19 converted, 0 skipped, 1 failed' "$tmp/summary"
check "the job log gives the crash's status" \
  grep -q "^${good[20 + 12]}"$'\t137\t' "$tmp/crashed/archive-joblog.tsv"

# A source's folder comes from its name: the site, and a year of two digits (from
# 1970 on) or four; a name that does not give them goes under "unknown".
mkdir -p "$tmp/names/x"
while read -r name folder; do
  : >"$tmp/names/x/$name"
  printf '%s %s\n' "$name" "$tmp/named/$folder/"
done >"$tmp/names.expected" <<'EOF'
RadiBRNK_26-12-06_1400.rv BRNK/2026
RdlsTSMR_2026_12_06_1400.rv TSMR/2026
RdtiXY12_69-01-01_0000.rv XY12/2069
RadiBRNK_70-01-01_0000.rv BRNK/1970
RadiBRNK_26.rv BRNK/2026
RadiBRNK_123-01-01.rv BRNK/unknown
RadiBRNK_12345_01.rv unknown/unknown
RadiBR-K_26_01.rv unknown/unknown
RadiBRNK26_01.rv unknown/unknown
RadiBRNK_26 unknown/unknown
EOF
"$archive_script" --dry-run "$tmp/names" "$tmp/named" 2>/dev/null |
  awk '{ n = split($6, path, "/"); print path[n], $5 }' >"$tmp/names.found"
check "sources go under the site and year their names give" \
  cmp -s <(sort "$tmp/names.expected") <(sort "$tmp/names.found")

# The Slurm script's shares cover every file exactly once, whatever the task count.
"$archive_script" --list "$tmp/archive" "$tmp/out" >"$tmp/all.txt"
for count in 1 3 7; do
  : >"$tmp/shares.txt"
  for task in $(seq 0 $((count - 1))); do
    ARCHIVE=$tmp/archive OUTPUT=$tmp/out QUILLMOOR_ARCHIVE=$archive_script \
      SLURM_ARRAY_TASK_ID=$((task + 4)) SLURM_ARRAY_TASK_MIN=4 SLURM_ARRAY_TASK_COUNT=$count \
      bash "$sbatch" --print-share >>"$tmp/shares.txt"
  done
  check "Slurm shares of $count tasks cover every file once" \
    cmp -s <(sort "$tmp/shares.txt") <(sort "$tmp/all.txt")
done

[ "$failures" -eq 0 ]
