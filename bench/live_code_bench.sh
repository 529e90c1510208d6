#!/usr/bin/env bash
# Scene code reloaded under --dev: the time from saving a one-line change in
# one of the tour's scenes to the first frame the new code draws, over ten
# saves, split into the build (from the moment the change is seen), the
# load (module, director, Init), the replay to the moment and the first
# frame. The tour is built from the package installed from this build and
# paused 25 s in, in the swarm scene, on the X display the benchmarks use.
set -euo pipefail
build="$(cd "$(dirname "$0")/.." && pwd)"
display="${MIVEX_TEST_DISPLAY:-${DISPLAY:-}}"
if [ -z "$display" ] || ! command -v xdotool > /dev/null; then
  echo "live_code_bench: needs an X display and xdotool; skipped"
  exit 0
fi
export DISPLAY="$display"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2> /dev/null; rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" > /dev/null
cp -r "$work/prefix/share/MivexGL/examples/tour" "$work/tour"
cmake -S "$work/tour" -B "$work/tour/build" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$work/tour/build" -j2 > /dev/null
(cd "$work" && exec ./tour/build/tour --dev --windowed --size 640x480 --from 25000 --sync off \
  2> "$work/err.txt") &
pid=$!
window="$(timeout 120 xdotool search --sync --onlyvisible --name '^MivexGL tour' | head -n 1)"
xdotool mousemove --window "$window" 5 5 click 1 keydown space sleep 0.1 keyup space
sleep 1
echo "live_code_bench: paused at $(xdotool getwindowname "$window")"

scene="$work/tour/SwarmScene.h"
now() { date +%s.%N; }
for n in $(seq 1 10); do
  # One line: the sparks' colour, another shade each time.
  sed -i "s/sparks.SetColour(1.0f, [0-9.]*f/sparks.SetColour(1.0f, 0.$((n % 9 + 1))f/" "$scene"
  saved="$(now)"
  while ! grep -q "code: tour-scenes#$n runs" "$work/err.txt"; do
    kill -0 "$pid" 2> /dev/null || { echo "live_code_bench: the tour ended"; cat "$work/err.txt"; exit 1; }
    sleep 0.02
  done
  shown="$(now)"
  line="$(grep "code: tour-scenes#$n runs" "$work/err.txt")"
  echo "$(awk -v a="$shown" -v b="$saved" 'BEGIN {printf "%.3f", a - b}') $line" >> "$work/times.txt"
done
kill "$pid"
wait "$pid" 2> /dev/null || true
pid=""
# total build load replay first-frame, one save a line.
sed -E 's/^([0-9.]+) .*build ([0-9.]+), load ([0-9.]+), replay ([0-9.]+), first frame (-?[0-9.]+).*/\1 \2 \3 \4 \5/' \
  "$work/times.txt" > "$work/parts.txt"
for column in 1 2 3 4 5; do
  name=$(echo "save-to-frame build load replay first-frame" | cut -d' ' -f"$column")
  sort -n -k"$column" "$work/parts.txt" | awk -v c="$column" -v name="$name" \
    '{v[NR]=$c} END {printf "live_code_bench: %-13s median %.2f s, worst %.2f s (10 saves)\n", name, (v[5]+v[6])/2, v[NR]}'
done
