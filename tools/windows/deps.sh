#!/usr/bin/env bash
# Builds the libraries the Windows executables need and Debian does not ship
# for mingw-w64 (libepoxy, kissfft, Dear ImGui), from the upstream tarballs of their
# Debian source packages, into PREFIX (default build-win/deps). The source
# lines come from this machine's own apt configuration, turned into deb-src.
# A finished prefix is kept: a second run costs nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
prefix="${1:-$root/build-win/deps}"
mkdir -p "$prefix"
prefix="$(cd "$prefix" && pwd)"
stamp="$prefix/READY"
version=2
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ]; then
  exit 0
fi

work="$prefix/src"
mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial"
cross=x86_64-w64-mingw32

# deb-src twins of every enabled deb line, in both source-list formats.
sources="$work/apt/sources.list"
: > "$sources"
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >> "$sources"
fi
for f in /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >> "$sources"
done
parts="$work/apt/sources.list.d"
rm -rf "$parts"
mkdir -p "$parts"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  sed 's/^Types:.*/Types: deb-src/' "$f" > "$parts/$(basename "$f")"
done

apt_opts=(-o "Dir::Etc::SourceList=$sources" -o "Dir::Etc::SourceParts=$parts"
          -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache::Archives=$work/apt/archives"
          -o "APT::Sandbox::User=root" -qq)
fetch() {
  local package="$1"
  if ! ls "$work"/"$package"_*.orig.tar.* > /dev/null 2>&1; then
    if [ ! -f "$work/apt/updated" ]; then
      apt-get "${apt_opts[@]}" update
      touch "$work/apt/updated"
    fi
    # Some Debian patch files may be gone from the mirror; the upstream
    # tarball is all this build needs.
    (cd "$work" && apt-get "${apt_opts[@]}" source --download-only "$package" || true)
  fi
  local tarball
  tarball="$(ls "$work"/"$package"_*.orig.tar.* | head -n 1)"
  rm -rf "$work/$package"
  mkdir -p "$work/$package"
  tar -xf "$tarball" -C "$work/$package" --strip-components=1
}

# libepoxy: static, WGL only (no EGL or GLX on Windows).
fetch libepoxy
cat > "$work/cross.ini" <<CROSS
[binaries]
c = '$cross-gcc-posix'
cpp = '$cross-g++-posix'
ar = '$cross-ar'
strip = '$cross-strip'
windres = '$cross-windres'
pkgconfig = 'false'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
CROSS
rm -rf "$work/libepoxy-build"
meson setup "$work/libepoxy-build" "$work/libepoxy" --cross-file "$work/cross.ini" \
  --prefix "$prefix" --libdir lib --buildtype release --default-library static \
  -Degl=no -Dglx=no -Dx11=false -Dtests=false -Ddocs=false > "$work/libepoxy.log"
ninja -C "$work/libepoxy-build" install >> "$work/libepoxy.log"

# kissfft: the two sources the engine uses, float samples, one static library.
fetch kissfft
mkdir -p "$prefix/include/kissfft" "$work/kissfft-build"
for s in kiss_fft kiss_fftr; do
  "$cross-gcc-posix" -O2 -Dkiss_fft_scalar=float -c "$work/kissfft/$s.c" \
    -o "$work/kissfft-build/$s.o"
done
rm -f "$prefix/lib/libkissfft-float.a"
"$cross-ar" rcs "$prefix/lib/libkissfft-float.a" "$work/kissfft-build"/*.o
cp "$work/kissfft"/kiss_fft.h "$work/kissfft"/kiss_fftr.h "$work/kissfft"/_kiss_fft_guts.h \
  "$prefix/include/kissfft/" 2>/dev/null || cp "$work/kissfft"/kiss_fft*.h "$prefix/include/kissfft/"
[ -f "$work/kissfft/kiss_fft_log.h" ] && cp "$work/kissfft/kiss_fft_log.h" "$prefix/include/kissfft/"

# Dear ImGui: the core and the Win32 input back end (the overlay host draws
# with its own renderer), one static library, headers laid out as Debian's.
fetch imgui
mkdir -p "$prefix/include/imgui/backends" "$work/imgui-build"
rm -f "$work/imgui-build"/*.o
for s in imgui imgui_draw imgui_tables imgui_widgets backends/imgui_impl_win32; do
  "$cross-g++-posix" -O2 -DIMGUI_IMPL_WIN32_DISABLE_GAMEPAD -I"$work/imgui" \
    -c "$work/imgui/$s.cpp" -o "$work/imgui-build/$(basename "$s").o"
done
rm -f "$prefix/lib/libimgui.a"
"$cross-ar" rcs "$prefix/lib/libimgui.a" "$work/imgui-build"/*.o
cp "$work/imgui"/imgui.h "$work/imgui"/imconfig.h "$work/imgui"/imgui_internal.h \
  "$work/imgui"/imstb_*.h "$prefix/include/imgui/"
cp "$work/imgui/backends/imgui_impl_win32.h" "$prefix/include/imgui/backends/"

echo "$version" > "$stamp"
