#!/usr/bin/env bash
# Builds Quillmoor when needed, runs it on the bundled example station into a
# fresh output folder, and lists what it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."

# Only the program this runs is built; scripts/test.sh builds everything.
scripts/setup.sh --target Quillmoor build >/dev/null

station=$PWD/examples/station
out=$(mktemp -d "${TMPDIR:-/tmp}/quillmoor-example.XXXXXX")
# <nDiag> <cProcChar> <sOwner> <sRadFolder> <sProcFolder> <bLLUV> <bOpen> <sCfgFolder> <nPattern> <sDiagFolder>
set +e
build/Quillmoor/Quillmoor 10 i "" "$out/" "$station/Processing/" 2 0 "$station/Configs/" -1 "$station/Diagnostics/"
status=$?
set -e
echo
echo "Quillmoor exit status: $status"
echo "Output folder $out:"
ls -l "$out"
exit $status
