#!/usr/bin/env bash
# Installs the engine as a package into PREFIX (libraries, headers, the CMake
# package with mivex_add_production, pkg-config's file, the examples and the
# makers' tools), from a fresh clone: sets up, configures build-install/
# without tests and builds only what the package holds.
#   ./tools/install.sh $HOME/mivexgl
set -euo pipefail
if [ $# -ne 1 ] || [ -z "$1" ] || [ "${1#-}" != "$1" ]; then
  echo "usage: tools/install.sh PREFIX" >&2
  exit 2
fi
prefix="$(realpath -m -- "$1")"
cd "$(dirname "$0")/.."
./tools/setup.sh
build=build-install
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMIVEX_TESTS=OFF > /dev/null
fi
cmake --build "$build" -j"$(nproc)" --target mivex_package
cmake --install "$build" --prefix "$prefix" > /dev/null
echo "MivexGL installed in $prefix: find_package(MivexGL) with -DCMAKE_PREFIX_PATH=$prefix"
