#!/usr/bin/env bash
# Sets up, builds everything and runs every test. With --bench it runs the
# benchmarks instead.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
./tools/build.sh

# Tests that need real windows, keys and message boxes use this X server.
n=$(./tools/xvfb.sh)
trap 'kill $(cat /tmp/.X${n}-lock 2>/dev/null) 2>/dev/null || true' EXIT
export MIVEX_TEST_DISPLAY=":${n}"

if [ "${1:-}" = "--bench" ]; then
  shift
  for b in build/bench/*_bench; do
    if [ -f "$b" ] && [ -x "$b" ]; then
      SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$b" "$@"
    fi
  done
  exit 0
fi

# Silent audio unless a test asks for the disk driver itself.
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
