#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in build-fuzz/ and runs
# each for SECONDS, one after another, from its seed corpus. What the fuzzer
# learns stays in build-fuzz/corpus/<target>; a crashing input is written to
# build-fuzz/crashes/<target>/ and fails the run (save it into the seed
# corpus once its cause is mended). Called by test.sh --fuzz SECONDS [TARGET...].
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:?usage: test.sh --fuzz SECONDS [TARGET...]}"
shift
build=build-fuzz
# The engine is kept warning-clean under gcc; clang has opinions of its own.
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIVEX_FUZZ=ON -DMIVEX_TESTS=OFF -DMIVEX_WERROR=OFF
fi
cmake --build "$build" -j"$(nproc)" --target fuzz_all

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < "$build/fuzz_targets.txt"
fi
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for name in "${targets[@]}"; do
  # Absolute: a target may change its working directory.
  corpus="$PWD/$build/corpus/$name"
  crashes="$PWD/$build/crashes/$name"
  mkdir -p "$corpus" "$crashes"
  log="$build/fuzz-$name.log"
  echo "fuzzing $name for ${seconds}s"
  # No input of ours needs a quarter of a gigabyte at once (the JPEG decoder
  # caps itself below that); a larger allocation is a fault of its own.
  if "$build/tests/fuzz/${name}_fuzz" -max_total_time="$seconds" -timeout=20 -malloc_limit_mb=256 \
      -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "$PWD/tests/fuzz/corpus/$name" \
      > "$log" 2>&1; then
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$log" | sed "s/^/  /"
  else
    tail -n 60 "$log"
    echo "$name FAILED: input in $crashes/, full log in $log"
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
