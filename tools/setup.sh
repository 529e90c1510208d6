#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, only
# when some are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libepoxy-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libegl1
  # The headless back end: EGL and the GL library without GLX.
  libegl-dev libopengl-dev
  libjpeg62-turbo-dev libpng-dev libmpg123-dev libkissfft-dev libmp3lame-dev
  libfreetype-dev libfontconfig-dev libimgui-dev libstb-dev
  libgtest-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation2
  # A PostScript-outline (CFF) face for the outline font tests.
  fonts-urw-base35
  xvfb xauth xdotool x11-utils ffmpeg parallel
  # Debian source tarballs of the Windows build's libraries come as .tar.xz.
  xz-utils
  # SDL's X11 message box draws with the X core fonts.
  xfonts-base
  # The reference decoder the picture tests compare against, and jpegtran
  # for the JPEG codings ImageMagick does not write.
  imagemagick libjpeg-turbo-progs
  # Fuzz targets (libFuzzer) and their symbolised reports.
  clang libclang-rt-14-dev llvm
  # The Windows executables: the cross compiler, meson for the target's
  # libepoxy, and Wine to run them and their tests.
  g++-mingw-w64-x86-64-posix mingw-w64-tools meson ninja-build wine64
  # What Wine only recommends: its own fonts for dialogs and boxes, and the
  # X extension its GL child windows use.
  fonts-wine libxcomposite1
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
