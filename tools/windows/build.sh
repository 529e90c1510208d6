#!/usr/bin/env bash
# Cross-builds the Windows executables in build-win/ (the given targets, or
# everything) and packs dist/: sollan.exe beside its data folder, ready to
# copy to a Windows machine. The data comes from the Linux build's generator.
set -euo pipefail
cd "$(dirname "$0")/../.."
./tools/windows/deps.sh build-win/deps
if [ ! -f build-win/CMakeCache.txt ]; then
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release > /dev/null
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
