#!/usr/bin/env bash
# Sets up, builds in Release, generates the data folder and runs the demo from
# the folder that holds data/. Without a display it runs under Xvfb.
# `./run.sh showcase [options]` builds and runs the showcase production
# instead, from the folder that holds showcase-data/; `./run.sh showcase-video
# FILE [options]` renders it with its music to the video FILE (in build/
# when the name is relative), at the capture's exact frame rate.
set -euo pipefail
cd "$(dirname "$0")"
program=sollan
if [ "${1:-}" = "showcase" ]; then
  program=mivex-showcase
  shift
elif [ "${1:-}" = "showcase-video" ] && [ $# -ge 2 ]; then
  program=mivex-showcase-capture
  video="$2"
  shift 2
  set -- --video "$video" "$@"
fi
./tools/setup.sh
if [ "$program" = sollan ]; then
  ./tools/build.sh sollan datagen_run
else
  ./tools/build.sh "$program"
fi
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
  echo "No display found: running ${program} under a virtual X server (Xvfb :${n}, 1024x768x24)."
  trap 'kill $(cat /tmp/.X${n}-lock 2>/dev/null) 2>/dev/null || true' EXIT
  DISPLAY=":${n}" "./${program}" "$@"
else
  "./${program}" "$@"
fi
