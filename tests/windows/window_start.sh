#!/usr/bin/env bash
# sollan.exe as released, under Wine on a 1024 x 768 screen: the display
# takes the mode, so the window is a popup of exactly 1024 x 768 at the
# origin; debug.log starts with the same bytes the Linux build writes and
# numbers every frame line; a held Escape ends the program with code 0.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/window.bash"
own_display 1024x768x24

start_sollan
demo="$(find_window '^Nerovia - Sollan 2010$')"
[ -n "$demo" ] || fail "no window captioned \"Nerovia - Sollan 2010\""
wait_frames 3
where="$(geometry "$demo")"
[ "$where" = "1024x768+0+0" ] || fail "the window is $where, not 1024x768+0+0"

for _ in $(seq 1 10); do
  kill -0 "$pid" 2> /dev/null || break
  hold "$demo" Escape
done
wait_exit
[ "$code" = 0 ] || fail "exit code $code after Escape"

log="$work/debug.log"
opening() { printf '[1](cDebugSystem) Opening debug.log\r\n\r\n[2](cDemoScene) Dette er ifra Init(void)\r\n'; }
head -c "$(opening | wc -c)" "$log" | cmp -s - <(opening) ||
  fail "debug.log starts $(head -c 80 "$log" | od -c | head -n 3)"
# Past the opening: one CR LF line per frame, numbered on from 3, the log
# complete up to its last line.
tail -c 2 "$log" | cmp -s - <(printf '\r\n') || fail "debug.log ends inside a line"
awk 'NR > 3 { n = NR - 1
       if ($0 !~ ("^\\[" n "\\]\\(cDemoScene\\(\\)\\) -?[0-9]+\r$")) { print NR ": " $0; exit 1 } }' \
  "$log" || fail "a frame line is out of order or malformed"

# The Linux build, where it was built beside this one, writes the same start
# for the same run; only the frame times differ.
linux="${MIVEX_LINUX_BUILD:-}/sollan"
if [ -n "${MIVEX_LINUX_BUILD:-}" ] && [ -x "$linux" ]; then
  mkdir "$work/linux"
  ln -s "$data" "$work/linux/data"
  (cd "$work/linux" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy exec timeout 60 "$linux" \
    > out.txt 2>&1) &
  linux_pid=$!
  for _ in $(seq 1 200); do
    [ "$(frame_lines "$work/linux/debug.log")" -ge 3 ] && break
    kill -0 "$linux_pid" 2> /dev/null || break
    sleep 0.3
  done
  kill "$linux_pid" 2> /dev/null || true
  wait "$linux_pid" 2> /dev/null || true
  [ "$(frame_lines "$work/linux/debug.log")" -ge 3 ] ||
    fail "the Linux build drew fewer than 3 frames"
  shape() { head -n 6 "$1" | sed 's/^\(\[[0-9]*](cDemoScene()) \)-\?[0-9]*/\1T/'; }
  cmp -s <(shape "$log") <(shape "$work/linux/debug.log") ||
    fail "debug.log differs from the Linux build's: $(diff <(shape "$log" | od -c) \
      <(shape "$work/linux/debug.log" | od -c) | head -n 6)"
fi
echo "PASS: a 1024x768 popup, debug.log as on Linux, Escape ends with 0"
