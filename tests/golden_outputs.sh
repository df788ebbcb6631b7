#!/usr/bin/env bash
# Converts the example station and a synthetic 10,000-vector station in the
# classic + LLUV mode (3) and the xyuv + LLUV mode (5), and compares every byte
# of every output with the reference outputs in tests/data/golden/. Only the
# lines that differ from run to run by design are left out: the file's UUID
# and the time it was processed.
#
# With QUILLMOOR_BATCH, the same conversions once more in one quillmoor-batch
# process each mode, a failing source between the two stations.
#
#   tests/golden_outputs.sh QUILLMOOR [QUILLMOOR_BATCH]   compare
#   BVK_GOLDEN_UPDATE=1 tests/golden_outputs.sh QUILLMOOR   remake the references
set -euo pipefail

quillmoor=$(realpath "$1")
batch=${2:+$(realpath "$2")}
root=$(cd "$(dirname "$0")/.." && pwd)
reference=$root/tests/data/golden
work=$(mktemp -d "${TMPDIR:-/tmp}/golden-outputs.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The spectra file is named relative to the repository folder, and the zone
# written into the files is the system's.
cd "$root"
export TZ=America/Los_Angeles

cp -r examples/station "$work/example"
python3 scripts/make_synthetic_station.py "$work/synthetic" --cells 50 --angles 200 --seed 18
# The pattern's file date is written into the LLUV file.
find "$work/example" "$work/synthetic" -type f -exec touch -d '2026-12-06 12:00:00' {} +

masked() {
    grep -a -v -E '^%(UUID|ProcessedTimeStamp):' "$1" || true
}

failures=0
compare() {  # compare STATION FILE
    local expected=$reference/$1/$(basename "$2")
    if [ ! -f "$expected" ]; then
        echo "FAIL: $1: unexpected output $(basename "$2")"
        failures=$((failures + 1))
    elif ! cmp -s <(masked "$expected") <(masked "$2"); then
        echo "FAIL: $1: $(basename "$2") differs from the reference:"
        diff <(masked "$expected") <(masked "$2") | head -20 || true
        failures=$((failures + 1))
    fi
}

for station in example synthetic; do
    produced=$work/names-$station
    : >"$produced"
    for mode in 3 5; do
        out=$work/$station-mode$mode
        mkdir -p "$out"
        if ! "$quillmoor" 0 i "" "$out/" "$work/$station/Processing/" "$mode" 0 \
            "$work/$station/Configs/" -1 "$work/$station/Diagnostics/" >"$work/stdout" 2>&1; then
            echo "FAIL: Quillmoor mode $mode on the $station station:"
            cat "$work/stdout"
            failures=$((failures + 1))
        fi
        for made in "$out"/*; do
            basename "$made" >>"$produced"
            if [ "${BVK_GOLDEN_UPDATE:-0}" = 1 ]; then
                mkdir -p "$reference/$station"
                cp "$made" "$reference/$station/"
            else
                compare "$station" "$made"
            fi
        done
    done
    for expected in "$reference/$station"/*; do
        if ! grep -qxF "$(basename "$expected")" "$produced"; then
            echo "FAIL: $station: $(basename "$expected") was not written"
            failures=$((failures + 1))
        fi
    done
done

# A run in a process that ran others before must not differ from a run of its own:
# every output as the reference, the failure as Quillmoor gives it (-50, exit status
# 206), and the station after it unharmed. The synthetic station's diagnostics are
# the example's.
if [ -n "$batch" ] && [ "${BVK_GOLDEN_UPDATE:-0}" != 1 ]; then
    tail -n +2 "$work/example/Processing/RadialData.txt" >"$work/no-time.rv"
    for mode in 3 5; do
        mkdir "$work/batch-work-$mode"
        printf '%s\t%s\t%s\n' \
            "$work/example/Processing/" "$work/batch-example-$mode" "$work/example/Configs" \
            "$work/no-time.rv" "$work/batch-none-$mode" "$work/example/Configs" \
            "$work/synthetic/Processing/" "$work/batch-synthetic-$mode" "$work/synthetic/Configs" |
            "$batch" --mode "$mode" --proc-char i --diag "$work/example/Diagnostics" \
                --work-folder "$work/batch-work-$mode" >"$work/results" || true
        if ! awk -F '\t' -v none="$work/no-time.rv" '
            NR == 2 { ok[2] = $1 == 206 && $4 == none && NF == 4 &&
                              $3 == "Failure -50: No time in the source file \"no-time.rv\""; next }
            { ok[NR] = $1 == 0 && $3 == "-" && NF == 6 }
            END { exit !(NR == 3 && ok[1] && ok[2] && ok[3]) }' "$work/results"; then
            echo "FAIL: quillmoor-batch mode $mode results:"
            cat "$work/results"
            failures=$((failures + 1))
        fi
        for station in example synthetic; do
            for made in "$work/batch-$station-$mode"/*; do compare "$station" "$made"; done
        done
    done
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures golden output failures"
    exit 1
fi
echo "golden outputs: every byte as the reference"
