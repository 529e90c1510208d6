#!/usr/bin/env bash
# The engine for Windows as a package, used as a maker would: installed from
# this build into a fresh prefix, both installed examples configured with
# the package's toolchain file and built from their own CMakeLists.txt, each
# .exe played to its end under Wine (exit code 0); then the tour's release
# zip, unpacked into a folder whose path has a space and started from
# another working folder, shows its scene, neither white nor black.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/window.bash"
command -v cmake > /dev/null || { echo "SKIP: no cmake"; exit 77; }
build="$PWD"
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" > "$work/install.txt" 2>&1 ||
  fail "cmake --install: $(tail -n 5 "$work/install.txt")"
toolchain="$prefix/lib/cmake/MivexGL/mingw-w64.cmake"
[ -f "$toolchain" ] || fail "no toolchain file beside MivexGLConfig.cmake"

own_display 1024x768x24
for example in "minimal 5000" "tour 30000"; do
  set -- $example
  name="$1"
  length="$2"
  source="$prefix/share/MivexGL/examples/$name"
  out="$work/$name-build"
  cmake -S "$source" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror" > "$work/$name-cfg.txt" 2>&1 ||
    fail "configuring $name: $(tail -n 20 "$work/$name-cfg.txt")"
  cmake --build "$out" -j2 > "$work/$name-build.txt" 2>&1 ||
    fail "building $name: $(tail -n 30 "$work/$name-build.txt")"
  [ -f "$out/$name.exe" ] || fail "no $name.exe"
  # Only the system's DLLs: nothing the runtimes or the libraries bring.
  dlls="$(x86_64-w64-mingw32-objdump -p "$out/$name.exe" | awk '/DLL Name/ {print tolower($3)}')"
  for dll in $dlls; do
    case "$dll" in
      libstdc++*|libgcc*|libwinpthread*|libepoxy*|*imgui*|*kiss*) fail "$name.exe needs $dll" ;;
    esac
  done
  code=0
  (cd "$work" && timeout 240 "$WINE_RUN" "$out/$name.exe" --windowed --size 320x240 \
    --from $((length - 1000)) > "$work/$name-run.txt" 2>&1) || code=$?
  [ "$code" = 0 ] || fail "$name.exe ended with $code: $(grep -av '^ALSA' "$work/$name-run.txt")"
done

# The release: one folder, the program, its data and its text.
out="$work/tour-build"
cmake --build "$out" --target tour-release > "$work/release.txt" 2>&1 ||
  fail "tour-release: $(tail -n 20 "$work/release.txt")"
zip="$out/tour-windows.zip"
[ -f "$zip" ] || fail "no tour-windows.zip beside the programs"
party="$work/party machine"
mkdir -p "$party" "$work/elsewhere"
(cd "$party" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
for file in tour/tour.exe tour/tour.txt tour/tour-data/music.mp3 tour/tour-data/picture.jpg; do
  [ -f "$party/$file" ] || fail "the zip holds no $file"
done
grep -q "MivexGL tour" "$party/tour/tour.txt" || fail "tour.txt names no title"
grep -q -- "--windowed" "$party/tour/tour.txt" || fail "tour.txt lists no options"

(cd "$work/elsewhere" && exec timeout 240 "$WINE_RUN" "$party/tour/tour.exe" --windowed \
  --size 640x480 --from 5000 > "$work/out.txt" 2>&1) &
pid=$!
tour="$(find_window '^MivexGL tour$')"
[ -n "$tour" ] || fail "no window captioned \"MivexGL tour\""
# A frame of the scene: its middle is neither one flat colour nor blank.
shown=""
for _ in $(seq 1 60); do
  sleep 1
  kill -0 "$pid" 2> /dev/null || fail "the release ended early"
  import -window "$tour" "$work/shot.png" 2> /dev/null || continue
  spread="$(convert "$work/shot.png" -gravity center -crop 50%x50%+0+0 +repage -colorspace Gray \
    -format '%[fx:int(1000*standard_deviation)]' info:)"
  mean="$(convert "$work/shot.png" -colorspace Gray -format '%[fx:int(1000*mean)]' info:)"
  shown="spread $spread, mean $mean"
  if [ "$spread" -gt 20 ] && [ "$mean" -gt 20 ] && [ "$mean" -lt 980 ]; then
    break
  fi
  shown="flat: $shown"
done
case "$shown" in
  ""|flat:*) fail "the release shows no scene ($shown)" ;;
esac
kill "$pid" 2> /dev/null || true
wait "$pid" 2> /dev/null || true
pid=""
[ ! -e "$work/elsewhere/debug.log" ] || fail "the release worked in the starting folder, not its own"
echo "PASS: both examples from the Windows package, and the tour's release ($shown)"
