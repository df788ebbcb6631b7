#!/usr/bin/env bash
# Makes the .deb of a build folder, checks where it puts its files and what it
# depends on, then runs the Quillmoor it holds on the example station.
#   tests/package-test.sh BUILD-FOLDER SOURCE-FOLDER
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/bvk-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "$*"
  exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
debs=("$work"/brenvik_*.deb)
[ -f "${debs[0]}" ] || fail "no .deb made"
deb=${debs[0]}

arch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in \
  ./usr/bin/Quillmoor ./usr/bin/Fenwright ./usr/bin/lluv ./usr/libexec/quillmoor/quillmoor-batch \
  ./usr/share/man/man1/Quillmoor.1.gz ./usr/share/man/man1/Fenwright.1.gz ./usr/share/man/man1/quillmoor-archive.1.gz ./usr/share/man/man1/lluv.1.gz \
  "./usr/lib/$arch/libBvkUtils.a" "./usr/lib/$arch/libBvkTableFile.a" \
  "./usr/lib/$arch/libCGeo.a" "./usr/lib/$arch/libBvkInterface.a" \
  ./usr/include/brenvik/cLLUVFile.h ./usr/include/brenvik/cGeo.h \
  "./usr/lib/$arch/cmake/Brenvik/BrenvikConfig.cmake" \
  "./usr/lib/$arch/cmake/Brenvik/BrenvikTargets.cmake" \
  "./usr/lib/$arch/pkgconfig/brenvik.pc" \
  ./usr/share/doc/brenvik/README.md; do
  grep -qxF "$path" <<<"$listing" || fail "not in the package: $path"
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libnetcdf tzdata; do
  [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

dpkg-deb -x "$deb" "$work/root"
grep -qx 'prefix=/usr' "$work/root/usr/lib/$arch/pkgconfig/brenvik.pc" ||
  fail "brenvik.pc does not name /usr"

# The example names its spectra file relative to the repository folder.
out=$work/out
(cd "$source" && TZ=America/Los_Angeles "$work/root/usr/bin/Quillmoor" 0 i "" "$out/" \
  examples/station/Processing/ 2 0 examples/station/Configs/ -1 examples/station/Diagnostics/ \
  >/dev/null) || fail "the packaged Quillmoor failed on the example station"
for name in RadiBRNK_26-12-06_1400.rv RDLi_BRNK_2026_12_06_1400.ruv; do
  [ -s "$out/$name" ] || fail "the packaged Quillmoor did not write $name"
done
