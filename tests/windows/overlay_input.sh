#!/usr/bin/env bash
# The input probe (a test production) under Wine, driven with xdotool as a
# user drives it: hovering the overlay's timeline shows the time there, a
# press seeks there and a drag seeks along; and an Escape tap between frames
# slowed to about 200 ms ends it with code 0.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/window.bash"
SOLLAN_EXE="$(dirname "$SOLLAN_EXE")/tests/input_probe.exe"
[ -f "$SOLLAN_EXE" ] || fail "no $SOLLAN_EXE: build the input_probe target"
own_display 1024x768x24

# 800 x 600 fits the screen beside Wine's own frame. The timeline's strip
# starts after imgui's 8-pixel padding and 180 pixels of names, ends at the
# right padding, and its last row ends 20 pixels above the bottom.
strip_x() { echo $((188 + 604 * $1 / 60000)); }
strip_y=572

# The director's time in the title, in ms; nothing before the first frame.
title_ms() {
  xdotool getwindowname "$1" 2> /dev/null |
    sed -n 's/.*\[\([0-9]*\):\([0-9]*\)\.\([0-9]\).*/\1 \2 \3/p' |
    awk '{ print ($1 * 60 + $2) * 1000 + $3 * 100 }'
}
# Waits until the title shows $2 ms within 200.
wait_time() {
  local _ t=""
  for _ in $(seq 1 300); do
    t="$(title_ms "$1")"
    if [ -n "$t" ] && [ "$t" -ge $(($2 - 200)) ] && [ "$t" -le $(($2 + 200)) ]; then
      return 0
    fi
    kill -0 "$pid" 2> /dev/null || fail "the probe ended"
    sleep 0.2
  done
  shown="$t"
  return 1
}
wait_title() {
  local _
  for _ in $(seq 1 300); do
    xdotool getwindowname "$1" 2> /dev/null | grep -q -- "$2" && return 0
    kill -0 "$pid" 2> /dev/null || fail "the probe ended"
    sleep 0.2
  done
  return 1
}
# How many pixels of the bottom 160 rows differ between two shots.
bottom_changes() {
  convert "$1" -gravity south -crop 800x160+0+0 +repage "$work/a.png"
  convert "$2" -gravity south -crop 800x160+0+0 +repage "$work/b.png"
  compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 | cut -d' ' -f1 || true
}

export MIVEX_INPUT_PROBE_LENGTH=60000 MIVEX_INPUT_PROBE_FRAME_MS=0
start_sollan --dev --size 800x600
probe="$(find_window '^MivexGL input probe')"
[ -n "$probe" ] || fail "no window captioned \"MivexGL input probe\""
wait_title "$probe" '\[' || fail "no frame within a minute"
# Without a window manager a click activates; paused, only the pointer
# changes the picture.
xdotool mousemove --window "$probe" 10 10 click 1 key space > /dev/null 2>&1
wait_title "$probe" paused || fail "Space did not pause"

import -window "$probe" "$work/away.png"
xdotool mousemove --window "$probe" "$(strip_x 5000)" "$strip_y"
hovered=""
for _ in $(seq 1 100); do
  import -window "$probe" "$work/over.png"
  if [ "$(bottom_changes "$work/away.png" "$work/over.png")" -gt 100 ]; then
    hovered=1
    break
  fi
  sleep 0.2
done
[ -n "$hovered" ] || fail "hovering the timeline showed nothing"

xdotool mousedown 1
wait_time "$probe" 5000 || fail "a press at 5 s left the title at ${shown} ms"
xdotool mousemove --window "$probe" "$(strip_x 12000)" "$strip_y"
xdotool mousemove --window "$probe" "$(strip_x 20000)" "$strip_y"
wait_time "$probe" 20000 || fail "a drag to 20 s left the title at ${shown} ms"
xdotool mouseup 1
kill "$pid" 2> /dev/null || true
wait "$pid" 2> /dev/null || true
pid=""
wine_idle

# Frames of about 200 ms and an hour to go: only Escape ends it in time.
export MIVEX_INPUT_PROBE_LENGTH=3600000 MIVEX_INPUT_PROBE_FRAME_MS=200
start_sollan --dev --size 800x600
probe="$(find_window '^MivexGL input probe')"
[ -n "$probe" ] || fail "no window captioned \"MivexGL input probe\" at 200 ms a frame"
wait_title "$probe" '\[' || fail "no slow frame within a minute"
xdotool mousemove --window "$probe" 10 10 click 1 > /dev/null 2>&1
xdotool keydown Escape sleep 0.02 keyup Escape > /dev/null 2>&1
wait_exit
[ "$code" = 0 ] || fail "exit code $code after an Escape tap"
echo "PASS: the timeline follows the pointer, an Escape tap on slow frames ends it"
