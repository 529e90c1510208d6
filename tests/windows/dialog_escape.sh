#!/usr/bin/env bash
# The setup dialog as the system's dialog manager shows it from the
# executable's resources: sollan.exe --setup under Wine. While it is up, a
# shot of it has ink only inside its controls (the banner included, so the
# bitmap resource was found) and no label is cut at its right edge. Escape
# then ends the program with code 0 before anything is loaded.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/dialog.bash"

start_setup
dialog="$(find_window 'Nerovia :: MivexGL')"
[ -n "$dialog" ] || fail "no window captioned \"Nerovia :: MivexGL\""
sleep 1
shot="$work/dialog.png"
import -window "$dialog" "$shot" || fail "no shot of the dialog"
read -r w h < <(identify -format '%w %h\n' "$shot")

# Rounded a * b / c, as the dialog manager scales dialog units.
muldiv() { echo $(((2 * $1 * $2 + $3) / (2 * $3))); }
# The client area is 204 x 167 dialog units: that gives the base units.
bx=$(((w * 4 + 102) / 204))
by=$(((h * 8 + 83) / 167))
[ "$(muldiv 204 "$bx" 4)" = "$w" ] && [ "$(muldiv 167 "$by" 8)" = "$h" ] ||
  fail "a client area of ${w}x${h} is not 204 x 167 dialog units"

# Every control's rectangle in pixels, from the resource script itself.
rects=()
while read -r x y cx cy; do
  rects+=("$(muldiv "$x" "$bx" 4) $(muldiv "$y" "$by" 8) $(muldiv $((x + cx)) "$bx" 4) $(muldiv $((y + cy)) "$by" 8)")
done < <(sed -n 's/^ *CONTROL .*, \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\) *\r*$/\1 \2 \3 \4/p' \
  "$here/../../resources/sollan.rc")
[ "${#rects[@]}" = 8 ] || fail "read ${#rects[@]} controls from the resource script, not 8"
# A bitmap static takes the size of its bitmap, whatever its template says.
read -r l t _ _ <<< "${rects[2]}"
read -r bw bh < <(identify -format '%w %h\n' "$here/../../resources/Banner102.bmp")
rects[2]="$l $t $((l + bw)) $((t + bh))"

# The dialog's face: the corner below the buttons belongs to no control.
face="$(convert "$shot" -format "%[pixel:p{$((w - 1)),$((h - 1))}]" info:)"
# Pixels that are not the face, in a part of the shot.
ink() { convert "$shot" "$@" -fuzz 12% -transparent "$face" -alpha extract -format '%[fx:round(mean*w*h)]' info:; }

draw=()
for r in "${rects[@]}"; do
  read -r l t rt b <<< "$r"
  draw+=(-draw "rectangle $l,$t $((rt - 1)),$((b - 1))")
done
stray="$(ink -fill "$face" "${draw[@]}")"
[ "$stray" = 0 ] || fail "$stray pixels drawn outside every control"
# The banner is there: its rectangle is mostly ink.
read -r l t rt b <<< "${rects[2]}"
banner="$(ink -crop "$((rt - l))x$((b - t))+$l+$t" +repage)"
[ "$banner" -gt $(((rt - l) * (b - t) / 2)) ] || fail "the banner is missing ($banner pixels of ink)"
# The two labels end before their rectangles do.
for i in 4 7; do
  read -r l t rt b <<< "${rects[$i]}"
  cut="$(ink -crop "1x$((b - t))+$((rt - 1))+$t" +repage)"
  [ "$cut" = 0 ] || fail "the label of control $i is cut at its right edge"
done

press "$dialog" Escape
wait_exit
[ "$code" = 0 ] || fail "exit code $code after Escape"
if grep -q cDemoScene "$work/debug.log"; then
  fail "the demo started after Escape"
fi
echo "PASS: the dialog shows every label inside its control; Escape ends with 0"
