#!/usr/bin/env bash
# Sets up, builds in Release, generates the data folder and runs the demo from
# the folder that holds data/. Without a display it runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
./tools/build.sh sollan datagen_run
cd build
# Without any sound device the demo plays silently on its timer; say so
# instead of letting the sound library complain.
if [ -z "${SDL_AUDIODRIVER:-}" ] && [ ! -d /dev/snd ] && [ -z "${PULSE_SERVER:-}" ] &&
   [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] &&
   [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pipewire-0" ]; then
  echo "No sound device found: the demo runs silently."
  export SDL_AUDIODRIVER=dummy
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  n=$(../tools/xvfb.sh)
  echo "No display found: running the demo under a virtual X server (Xvfb :${n}, 1024x768x24)."
  trap 'kill $(cat /tmp/.X${n}-lock 2>/dev/null) 2>/dev/null || true' EXIT
  DISPLAY=":${n}" ./sollan "$@"
else
  ./sollan "$@"
fi
