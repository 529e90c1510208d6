#!/usr/bin/env bash
# Scene code reloaded under --dev, as a maker meets it: the tour built from
# the installed package as the README says, played on an X display with its
# overlay hidden, paused at 10 s with the real keys. Then its scene's C++ is
# edited while it runs:
# - a change to the picture's brightness shows, with the title's time and
#   the pause as they were, and the frame equals a capture of the new code
#   at 10 s;
# - a syntax error is named by file and line, and the picture goes on;
# - mended, the new picture shows;
# - new code that crashes in Draw goes back to the code before, said once;
# - ten reloads leave the program's memory flat.
# Needs BUILD_DIR, MIVEX_TEST_DISPLAY, xdotool and ImageMagick.
set -euo pipefail
: "${BUILD_DIR:?the build of the engine}"
for tool in xdotool import compare convert; do
  command -v "$tool" > /dev/null || { echo "SKIP: no $tool"; exit 77; }
done
[ -n "${MIVEX_TEST_DISPLAY:-}" ] || { echo "SKIP: no X display"; exit 77; }
export DISPLAY="$MIVEX_TEST_DISPLAY"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2> /dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/err.txt" ] && sed 's/^/  tour: /' "$work/err.txt" >&2
  exit 1
}

cmake --install "$BUILD_DIR" --prefix "$work/prefix" > /dev/null
cp -r "$work/prefix/share/MivexGL/examples/tour" "$work/tour"
cd "$work/tour"
cmake -S . -B build -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release > /dev/null ||
  fail "configuring the tour"
cmake --build build -j2 > "$work/build.txt" 2>&1 || fail "building the tour: $(tail "$work/build.txt")"
scene="$work/tour/PictureScene.h"
cp "$scene" "$work/PictureScene.h.orig"

(cd "$work" && exec ./tour/build/tour --dev --windowed --size 320x240 --from 10000 --sync off \
  2> "$work/err.txt") &
pid=$!
window="$(timeout 120 xdotool search --sync --onlyvisible --name '^MivexGL tour' | head -n 1)"
[ -n "$window" ] || fail "no tour window"
title() { xdotool getwindowname "$window"; }
# As a person would: a click gives the window the keyboard, then the keys.
press() {
  xdotool mousemove --window "$window" 5 5 click 1 > /dev/null 2>&1 || true
  local key
  for key in "$@"; do
    xdotool keydown "$key"
    sleep 0.1
    xdotool keyup "$key"
    sleep 0.2
  done
}
# Paused, then exactly at 10 s whatever time the pause caught.
press space
for _ in $(seq 1 100); do case "$(title)" in *paused*) break ;; esac; sleep 0.2; done
press Home Right Right F2
for _ in $(seq 1 100); do case "$(title)" in *"0:10.0 paused"*) break ;; esac; sleep 0.2; done
paused_title="$(title)"
case "$paused_title" in *"0:10.0 paused"*) ;; *) fail "not paused at 10 s: $paused_title" ;; esac

shot() { sleep 0.5; import -window "$window" "$work/$1.png"; }
mean() { convert "$work/$1.png" -colorspace Gray -format '%[fx:int(1000*mean)]' info:; }
# Waits until the program has said a line matching $1 (grep -E).
said() {
  for _ in $(seq 1 600); do
    grep -qE "$1" "$work/err.txt" && return 0
    kill -0 "$pid" 2> /dev/null || fail "the tour ended waiting for: $1"
    sleep 0.2
  done
  fail "no line like \"$1\" in 120 s"
}
rss() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status"; }

shot old
sed -i 's/ripple.fade = std::clamp(/ripple.fade = 0.5f * std::clamp(/' "$scene"
said 'code: tour-scenes#1 runs'
shot new
[ "$(title)" = "$paused_title" ] || fail "the title went from \"$paused_title\" to \"$(title)\""
before="$(mean old)"
after="$(mean new)"
[ "$after" -lt "$before" ] || fail "the darker picture does not show: mean $before, then $after"
# The same frame a capture of the new code draws at 10 s.
cmake --build build --target tour-capture > /dev/null || fail "building the new capture"
(cd "$work" && ./tour/build/tour-capture --from 10000 --to 10000 --size 320x240 \
  --frames "$work/capture" > /dev/null 2>&1) || fail "capturing the new code"
differ="$(compare -metric AE "$work/new.png" "$work/capture/frame_000000.png" null: 2>&1 || true)"
[ "$differ" = 0 ] || fail "the reloaded frame differs from a capture of the new code in $differ pixels"

sed -i 's/ripple.Build();/ripple.Build()/' "$scene"
said 'code: PictureScene.h:[0-9]+:[0-9]+: error:'
shot broken
[ "$(compare -metric AE "$work/new.png" "$work/broken.png" null: 2>&1 || true)" = 0 ] ||
  fail "the picture changed while the code did not build"
sed -i 's/ripple.Build()$/ripple.Build();/; s/0.5f \* std::clamp(/0.25f * std::clamp(/' "$scene"
said 'code: tour-scenes#2 runs'
shot mended
[ "$(mean mended)" -lt "$(mean new)" ] || fail "the mended code does not show"

sed -i 's/        glLoadIdentity();/        { volatile int* nowhere = nullptr; *nowhere = 1; }\n        glLoadIdentity();/' "$scene"
said 'code: tour-scenes#3: SIGSEGV in (Draw|Update, replaying to the moment); back to tour-scenes#2'
shot back
[ "$(compare -metric AE "$work/mended.png" "$work/back.png" null: 2>&1 || true)" = 0 ] ||
  fail "the code before the crash does not draw what it drew"
[ "$(title)" = "$paused_title" ] || fail "the crash moved the timeline: $(title)"

# Ten reloads in a row: what the program holds stays where it was.
cp "$work/PictureScene.h.orig" "$scene"
said 'code: tour-scenes#4 runs'
before="$(rss)"
for n in $(seq 5 14); do
  printf '\n// reload %s\n' "$n" >> "$scene"
  said "code: tour-scenes#$n runs"
done
after="$(rss)"
echo "memory after reload 4: ${before} KiB, after reload 14: ${after} KiB"
[ $((after - before)) -lt 16384 ] || fail "ten reloads took $((after - before)) KiB more"
kill "$pid"
wait "$pid" 2> /dev/null || true
pid=""
echo "PASS: the tour's scene code reloaded, failed to build, mended, crashed and came back"
