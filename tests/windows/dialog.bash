# Shared by the dialog scripts: sollan.exe --setup under Wine in a scratch
# folder, windows found by caption, keys pressed into them, the exit code.
# Needs SOLLAN_EXE, WINE_RUN and DISPLAY, xdotool and ImageMagick.
: "${SOLLAN_EXE:?the Windows executable}" "${WINE_RUN:?the Wine runner}" "${DISPLAY:?an X display}"
for tool in xdotool import convert; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2> /dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$work/out.txt" ]; then sed 's/^/  sollan: /' "$work/out.txt" >&2; fi
  exit 1
}

# Starts the program with the dialog first; it must end on its own in time.
start_setup() {
  (cd "$work" && exec timeout 180 "$WINE_RUN" "$SOLLAN_EXE" --setup > out.txt 2>&1) &
  pid=$!
}

# The id of the first visible window with this caption, or nothing.
find_window() {
  timeout "${2:-90}" xdotool search --sync --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1
}

press() {
  xdotool windowfocus --sync "$1" key "$2" > /dev/null 2>&1 || xdotool key "$2"
}

# Waits for the program; its exit code lands in $code.
wait_exit() {
  code=0
  wait "$pid" || code=$?
  pid=""
}

# Holds a key long enough for a frame loop that looks at the key table
# once a frame, where a tap could come and go between two frames.
# Without a window manager the window is made active by a click into it.
hold() {
  xdotool mousemove --window "$1" 10 10 click 1 > /dev/null 2>&1 || true
  xdotool keydown "$2" > /dev/null 2>&1 || true
  sleep 0.5
  xdotool keyup "$2" > /dev/null 2>&1 || true
}
