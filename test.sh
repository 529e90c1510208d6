#!/usr/bin/env bash
# Sets up, builds everything and runs every test. With --bench it runs the
# benchmarks instead; with --sanitize it builds and runs the whole suite under
# AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/; with
# --fuzz SECONDS it runs each fuzz target that long (clang, build-fuzz/); with
# --windows it runs only the Windows build's tests; with --headless it builds
# the headless back end in build-headless/ and runs its suite with no X
# display at all (the tests that need one are not built there). A plain run
# ends with the Windows executables, cross-built in build-win/ and tested
# under Wine.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh

mode="${1:-}"
if [ "$mode" = "--fuzz" ]; then
  shift
  exec ./tests/fuzz/run.sh "$@"
fi

if [ "$mode" = "--headless" ]; then
  shift
  if [ ! -f build-headless/CMakeCache.txt ]; then
    cmake -S . -B build-headless -DCMAKE_BUILD_TYPE=Release -DMIVEX_PLATFORM=headless
  fi
  cmake --build build-headless -j"$(nproc)"
  cd build-headless
  exec env -u DISPLAY -u MIVEX_TEST_DISPLAY ctest --output-on-failure -j"$(nproc)" "$@"
fi

build=build
windows=no
if [ "$mode" = "--windows" ]; then
  shift
  windows=only
  ./tools/build.sh datagen_run
elif [ "$mode" = "--sanitize" ]; then
  shift
  build=build-sanitize
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVEX_SANITIZE=ON
  fi
  cmake --build "$build" -j"$(nproc)"
  # Every fault stops the program that has it, children included; the leak
  # check skips only what Mesa and the system libraries keep until exit.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:print_summary=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/support/sanitize/lsan.supp:print_suppressions=0"
else
  ./tools/build.sh
  if [ $# -eq 0 ]; then
    windows=also
  fi
fi

# Tests that need real windows, keys and message boxes use this X server.
n=$(./tools/xvfb.sh)
trap 'kill $(cat /tmp/.X${n}-lock 2>/dev/null) 2>/dev/null || true' EXIT
export MIVEX_TEST_DISPLAY=":${n}"

if [ "$mode" = "--bench" ]; then
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
skip=()
if [ "$build" = build-sanitize ]; then
  # Peak-memory bounds: the sanitizers' shadow memory and quarantine count
  # towards the peak, so these hold only in the plain build.
  skip=(-E "TextureBudget\.AHugePngHalvedOnTheWayInCostsNoFullSizeMemory|TextureBudgetWholeDemo\.HostilePicturesLoadInBoundedMemory")
fi
if [ "$windows" != only ]; then
  (cd "$build" && ctest --output-on-failure -j"$(nproc)" "${skip[@]}" "$@")
fi
if [ "$windows" != no ]; then
  ./tools/windows/build.sh
  (cd build-win && ctest --output-on-failure -j"$(nproc)" "$@")
fi
