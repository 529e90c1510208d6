#!/usr/bin/env bash
# Cross-builds the Windows executables in build-win/ (the given targets, or
# everything) and packs dist/: sollan.exe beside its data folder, ready to
# copy to a Windows machine. The data comes from the Linux build's generator.
# With --install PREFIX it builds the engine alone and installs it there as
# a package for Windows productions (their toolchain file comes along).
set -euo pipefail
prefix=""
if [ "${1:-}" = "--install" ]; then
  if [ $# -ne 2 ] || [ -z "$2" ]; then
    echo "usage: tools/windows/build.sh --install PREFIX" >&2
    exit 2
  fi
  prefix="$(realpath -m -- "$2")"
  shift 2
fi
cd "$(dirname "$0")/../.."
./tools/windows/deps.sh build-win/deps
if [ ! -f build-win/CMakeCache.txt ]; then
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
if [ -n "$prefix" ]; then
  cmake --build build-win -j"$(nproc)" --target mivex_package
  cmake --install build-win --prefix "$prefix" > /dev/null
  echo "MivexGL for Windows installed in $prefix: configure a production with" \
    "-DCMAKE_TOOLCHAIN_FILE=$prefix/lib/cmake/MivexGL/mingw-w64.cmake"
  exit 0
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build-win -j"$(nproc)" "${targets[@]}"

if [ -f build-win/sollan.exe ]; then
  ./tools/build.sh datagen_run > /dev/null
  rm -rf dist
  mkdir -p dist
  cp build-win/sollan.exe dist/
  cp -rL build/data dist/data
  echo "dist/: sollan.exe and data/, ready for Windows"
fi
