#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages, only when
# missing), then configures one build folder and builds it: everything, or
# only the targets named.
#   scripts/setup.sh [--target TARGET]... [build-folder] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --target)
      [ $# -ge 2 ] || { echo "setup.sh: --target needs a target name" >&2; exit 2; }
      targets+=(--target "$2")
      shift 2
      ;;
    --target=*)
      targets+=(--target "${1#--target=}")
      shift
      ;;
    *) break ;;
  esac
done

# dpkg-dev and man-db serve the tests of the package and of the man pages; netcdf-bin,
# python3-netcdf4 and python3-xarray those of the netCDF export.
packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libhowardhinnant-date-dev tzdata uuid-dev libgeographiclib-dev parallel shellcheck
          dpkg-dev man-db libcli11-dev libnetcdf-dev netcdf-bin python3-netcdf4 python3-xarray
          time)
# A build with Clang (CXX=clang++) needs the compiler itself, and its fuzzer
# and sanitizer runtimes for the fuzz build.
case "${CXX:-}" in clang*) packages+=(clang libclang-rt-14-dev) ;; esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBVK_WERROR=ON "$@"
cmake --build "$build" "${targets[@]}"
