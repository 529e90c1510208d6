#!/usr/bin/env bash
# Enter on the setup dialog that sollan.exe --setup shows under Wine takes
# its choices as they stand: 800 x 600, fullscreen. A display that cannot
# take that mode asks first, and Return there means windowed; either way
# the demo's window is 800 x 600. Escape then ends the program with code 0.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/dialog.bash"

start_setup
dialog="$(find_window 'Nerovia :: MivexGL')"
[ -n "$dialog" ] || fail "no window captioned \"Nerovia :: MivexGL\""
press "$dialog" Return

demo=""
for _ in $(seq 1 120); do
  question="$(find_window 'Pelorin GL' 1 || true)"
  if [ -n "$question" ]; then
    press "$question" Return
  fi
  demo="$(find_window 'Nerovia - Sollan 2010' 1 || true)"
  [ -n "$demo" ] && break
done
[ -n "$demo" ] || fail "the demo's window did not appear after Enter"
size="$(xwininfo -id "$demo" | sed -n 's/^ *\(Width\|Height\): *//p' | tr '\n' x)"
[ "$size" = "800x600x" ] || fail "the demo's window is ${size%x}, not the dialog's 800x600"

# The demo runs its frames, then Escape is held until it ends.
wait_frames 2
for _ in $(seq 1 20); do
  kill -0 "$pid" 2> /dev/null || break
  hold "$demo" Escape
done
wait_exit
[ "$code" = 0 ] || fail "exit code $code after Escape"
echo "PASS: Enter starts the demo at 800x600; Escape ends it with 0"
