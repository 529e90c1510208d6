# Shared by the window scripts: sollan.exe under Wine in a scratch folder
# beside the data folder of the working directory, its window found by
# caption, keys held into it, the screen read back and the exit code.
# Each script runs on an X server of its own, with the screen it needs, so
# no window of another test is found by caption. Needs SOLLAN_EXE and
# WINE_RUN, Xvfb, xdotool, xwininfo and ImageMagick.
: "${SOLLAN_EXE:?the Windows executable}" "${WINE_RUN:?the Wine runner}"
for tool in xdotool xwininfo import convert Xvfb; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
window_here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
data="$PWD/data"
[ -d "$data" ] || { echo "FAIL: no data folder in $PWD" >&2; exit 1; }

# Wine keeps one session per prefix, with the screen it first met; a script
# on a screen of its own waits for any session to end, before and after.
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "$WINE_RUN")/../.." && pwd)/build-win/wineprefix}"
wine_idle() {
  if [ -d "$WINEPREFIX" ]; then
    timeout 60 /usr/lib/wine/wineserver -w 2> /dev/null || timeout 60 wineserver -w 2> /dev/null ||
      true
  fi
}

work="$(mktemp -d)"
ln -s "$data" "$work/data"
pid=""
xvfb_pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2> /dev/null || true; fi
  wine_idle
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2> /dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$work/out.txt" ]; then grep -av '^ALSA' "$work/out.txt" | sed 's/^/  sollan: /' >&2; fi
  exit 1
}

# Starts the X server with the given screen (WxHxD) and points DISPLAY at it.
own_display() {
  local n
  wine_idle
  for n in $(seq 140 180); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      Xvfb ":${n}" -screen 0 "$1" -nolisten tcp > /dev/null 2>&1 &
      xvfb_pid=$!
      for _ in $(seq 1 50); do
        if [ -e "/tmp/.X11-unix/X${n}" ]; then
          export DISPLAY=":${n}"
          return 0
        fi
        sleep 0.1
      done
      kill "$xvfb_pid" 2> /dev/null || true
      xvfb_pid=""
    fi
  done
  fail "could not start an X server"
}

# Starts the program with these options; it must end on its own in time.
start_sollan() {
  (cd "$work" && exec timeout 240 "$WINE_RUN" "$SOLLAN_EXE" "$@" > out.txt 2>&1) &
  pid=$!
}

# The id of the first visible window whose caption matches, or nothing.
find_window() {
  timeout "${2:-90}" xdotool search --sync --onlyvisible --name "$1" 2> /dev/null | head -n 1
}

# How many frame lines a log holds, 0 without a log.
frame_lines() {
  local n
  n="$(grep -acs '(cDemoScene()) ' "$1")" || true
  echo "${n:-0}"
}

# Waits until debug.log holds at least $1 frame lines.
wait_frames() {
  local _ n
  for _ in $(seq 1 300); do
    n="$(frame_lines "$work/debug.log")"
    if [ "$n" -ge "$1" ]; then
      return 0
    fi
    kill -0 "$pid" 2> /dev/null || fail "the program ended before $1 frames"
    sleep 0.3
  done
  fail "fewer than $1 frames in 90 s"
}

# Holds a key (xdotool's name, "alt+F4" too) for half a second, as a
# person would: alt+F4 is a chord, and a system key is not latched as a
# tap is. Without a window manager a click activates.
hold() {
  xdotool mousemove --window "$1" 10 10 click 1 > /dev/null 2>&1 || true
  xdotool keydown "$2" > /dev/null 2>&1 || true
  sleep 0.5
  xdotool keyup "$2" > /dev/null 2>&1 || true
}

# Waits for the program; its exit code lands in $code.
wait_exit() {
  local _
  for _ in $(seq 1 60); do
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.5
  done
  code=0
  wait "$pid" || code=$?
  pid=""
}

# "WIDTHxHEIGHT+X+Y" of a window.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w "x" h "+" x "+" y}'
}

# Mean colour "R G B" (0-255) of the middle half of an image, both ways.
middle_colour() {
  convert "$1" -gravity center -crop 50%x50%+0+0 +repage -resize '1x1!' -depth 8 \
    -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]' info:
}

# Whether the window shows the picture: the middle of the window and of the
# file agree within $3 per channel.
shows_picture() {
  local shot="$work/shot.png" a b
  import -window "$1" "$shot" 2> /dev/null || return 1
  a=($(middle_colour "$shot"))
  b=($(middle_colour "$2"))
  shown="${a[*]}"
  local i
  for i in 0 1 2; do
    local d=$((a[i] - b[i]))
    [ "${d#-}" -le "$3" ] || return 1
  done
}
