#!/usr/bin/env bash
# sollan.exe as released, under Wine on a screen that has no 1024 x 768
# mode: the display refuses it and the program asks "Pelorin GL". Yes goes
# on in a window of 1024 x 768 (Escape then ends with 0); No says "Program
# Will Now Close." and ends with 0 before any loading.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/window.bash"
own_display 1280x1024x24

# Yes is the box's default button.
start_sollan
question="$(find_window '^Pelorin GL$')"
[ -n "$question" ] || fail "no question captioned \"Pelorin GL\""
# Its text, on stderr too (in text mode, so with CR LF).
tr -d '\r' < "$work/out.txt" | grep -aA1 -x 'Pelorin GL: The Requested Fullscreen Mode Is Not Supported By' |
  grep -ax 'Your Video Card. Use Windowed Mode Instead?' > /dev/null || fail "the question's text is not the one asked"
xdotool windowfocus --sync "$question" key Return > /dev/null 2>&1
demo="$(find_window '^Nerovia - Sollan 2010$')"
[ -n "$demo" ] || fail "Yes did not bring the demo's window"
wait_frames 2
seen="$(geometry "$demo")"
[ "${seen%%+*}" = "1024x768" ] || fail "after Yes the window is $seen, not 1024x768"
[ "${seen#*+}" != "0+0" ] || fail "after Yes the window is a popup at the origin"
for _ in $(seq 1 10); do
  kill -0 "$pid" 2> /dev/null || break
  hold "$demo" Escape
done
wait_exit
[ "$code" = 0 ] || fail "exit code $code after Yes and Escape"

# No, by its mnemonic; then the closing notice.
rm -f "$work/debug.log" "$work/out.txt"
start_sollan
question="$(find_window '^Pelorin GL$')"
[ -n "$question" ] || fail "no question captioned \"Pelorin GL\" the second time"
xdotool windowfocus --sync "$question" key n > /dev/null 2>&1
notice="$(find_window '^ERROR$')"
[ -n "$notice" ] || fail "No did not bring the \"ERROR\" notice"
grep -aq 'ERROR: Program Will Now Close.' "$work/out.txt" || fail "the notice does not say it closes"
xdotool windowfocus --sync "$notice" key Return > /dev/null 2>&1
wait_exit
[ "$code" = 0 ] || fail "exit code $code after No"
[ "$(frame_lines "$work/debug.log")" = 0 ] || fail "frames were drawn after No"
grep -aq 'Dette er ifra Init' "$work/debug.log" && fail "the demo loaded after No"
echo "PASS: the refused mode asks; Yes runs in a 1024x768 window, No ends with 0"
