#!/usr/bin/env bash
# Files that claim far more data than they hold must cost memory in
# proportion to the bytes present, not to the claim. Each hostile file
# below is a few hundred bytes; its reader (a fuzz target's replay program)
# must finish within a small fixed peak resident size.
#   MemoryBounds.sh <folder of the replay programs>
set -euo pipefail

programs=${1:?usage: MemoryBounds.sh <folder of the replay programs>}
limit_kb=${BVK_MEMORY_LIMIT_KB:-65536}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Binary files are built as printf %b escapes (a shell variable cannot hold
# a NUL byte): a big-endian 32-bit word, and a chunk made of its key, its
# size as claimed and its payload.
word() {
  printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) \
    $(($1 >> 8 & 255)) $(($1 & 255))
}
chunk() {
  printf '%s%s%s' "$1" "$(word "$2")" "$3"
}

# A classic radial file whose cell claims 4,000,000,000 vectors.
classic="$work/classic.rv"
printf '%s\n' ' 14:30:00 Tuesday, January 8, 2008 PST  -1012319896' " 36 57.000'N, 122 03.000'W" \
  '  3.000   1.500   60.0   1.000' ' 3' ' 4000000000   2' ' 10.0 20.0' ' 1.0 2.0' >"$classic"

# A plain antenna pattern claiming 2,000,000,000 bearings.
pattern="$work/pattern.txt"
printf '%s\n' 2000000000 '0.0 5.0 10.0' '1.0 0.5 0.25' >"$pattern"

# Table files claiming 1,000,000,000 rows (and as many columns).
table() {
  printf '%s\n' '%BTF: 1.00' "%FileType: $1" "%TableType: $2" '%TableColumns: 1000000000' \
    '%TableRows: 1000000000' '%TableStart:' ' 0 1 2 3 4 5' '%TableEnd:' '%End:'
}
lluv="$work/table.ruv"
table 'LLUV rdls "RadialMap"' 'LLUV RDL7' >"$lluv"
radial="$work/report.rdt"
table 'DIAG rads' 'rads rad1' >"$radial"
receiver="$work/report.hdt"
table 'DIAG rcvr' 'rcvr rcv2' >"$receiver"
patt_table="$work/pattern.patt"
table 'PATT' 'xlp2 dflt' >"$patt_table"

# Reduced spectra: the file and its header chunk each claim 4 GB.
reduced_chunk="$work/chunk.cssw"
printf '%b' "$(chunk CSSW 4294967288 "$(chunk cs4h 4294967280 '\x00\x05\x00\x00\x00\x00')")" \
  >"$reduced_chunk"
# A version 5 header asking for the largest cells a reader takes (65,536
# Doppler cells by 100 range cells, spectra kind 2), given by a reduced file
# and by a full file that then hold no cell at all.
header="\\x00\\x05$(word 0)$(word 90)\\x00\\x02$(word 84)BRNK$(word 76)$(word 0)$(word 0)"
header+="$(word 0)$(word 0)$(word 0)$(word 0)$(word 1)$(word 65536)$(word 100)$(word 1)"
header+="$(word 0)$(word 28)$(word 0)$(word 0)$(word 0)$(word 3)$(word 3)$(word 7)$(word 0)"
reduced_cells="$work/cells.cssw"
printf '%b' "$(chunk CSSW 108 "$(chunk cs4h 100 "$header")")" >"$reduced_cells"
full="$work/full.cs"
printf '%b' "$header" >"$full"

failed=0
check() {
  local program=$1 file=$2 what=$3 peak
  /usr/bin/time -v -o "$work/time.txt" "$programs/replay_$program" "$file" >/dev/null 2>&1 || {
    echo "FAIL $what: replay_$program failed"
    failed=1
    return
  }
  peak=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$work/time.txt")
  if [ "$peak" -gt "$limit_kb" ]; then
    echo "FAIL $what: $peak kB at peak (limit $limit_kb kB) for $(wc -c <"$file") bytes"
    failed=1
  else
    echo "ok   $what: $peak kB at peak"
  fi
}

check classic_radial "$classic" "classic cell of 4,000,000,000 vectors"
check pattern_text "$pattern" "pattern of 2,000,000,000 bearings"
check lluv "$lluv" "LLUV table of 10^9 rows"
check report_radial "$radial" "radial report of 10^9 rows"
check report_receiver "$receiver" "receiver report of 10^9 rows"
check pattern_table "$patt_table" "pattern table of 10^9 rows"
check spectra_reduced "$reduced_chunk" "spectra chunk of 4 GB"
check spectra_reduced "$reduced_cells" "reduced spectra header without cells"
check spectra_full "$full" "full spectra header without cells"
exit "$failed"
