#!/usr/bin/env bash
# sollan.exe under Wine, started fullscreen at 1:52 and paused there (the
# development keys): the slide of that time, data\HorseMask.jpg, is on
# screen. F1 makes the display again, in a window with a new context, and
# the same slide is still there rather than a white quad. Closing the window
# (Alt+F4) ends the program with code 0.
#
# The switch goes from fullscreen to a window: the window's client area is
# cut to what fits on the screen, and F1 back would ask for that size as a
# display mode, which the screen does not have.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/window.bash"
own_display 1024x768x24
# The middle of the window and of the picture agree this closely per
# channel; the nearest other slide is 65 away, white further still.
tolerance=16
picture="$data/HorseMask.jpg"

start_sollan --dev --from 112000
# The development title carries the time after the caption.
demo="$(find_window '^Nerovia - Sollan 2010')"
[ -n "$demo" ] || fail "no window captioned \"Nerovia - Sollan 2010\""
wait_frames 2
# Space pauses picture and music; a tap counts. F2 hides the development
# overlay, which is not part of the picture looked at.
xdotool mousemove --window "$demo" 10 10 click 1 key space key F2 > /dev/null 2>&1
before="$(frame_lines "$work/debug.log")"
wait_frames $((before + 3))
shows_picture "$demo" "$picture" "$tolerance" ||
  fail "the window shows $shown in the middle, not HorseMask.jpg's $(middle_colour "$picture")"

hold "$demo" F1
framed=""
for _ in $(seq 1 90); do
  framed="$(find_window '^Nerovia - Sollan 2010' 1 || true)"
  if [ -n "$framed" ] && [ "$framed" != "$demo" ]; then
    break
  fi
  framed=""
  sleep 0.5
done
[ -n "$framed" ] || fail "F1 did not bring a new window"
seen="$(geometry "$framed")"
[ "${seen#*+}" != "0+0" ] || fail "after F1 the window is still a popup at the origin ($seen)"
before="$(frame_lines "$work/debug.log")"
wait_frames $((before + 3))
shows_picture "$framed" "$picture" "$tolerance" ||
  fail "after F1 the middle is $shown, not HorseMask.jpg's $(middle_colour "$picture")"

for _ in $(seq 1 10); do
  kill -0 "$pid" 2> /dev/null || break
  hold "$framed" alt+F4
done
wait_exit
[ "$code" = 0 ] || fail "exit code $code after closing the window"
echo "PASS: the slide of 1:52 on screen, kept through F1; closing ends with 0"
