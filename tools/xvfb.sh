#!/usr/bin/env bash
# Starts a virtual X server with the demo's screen (1024x768, 24 bits) on the
# first free display number and prints that number.
set -euo pipefail
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
    Xvfb ":${n}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 1 50); do
      if [ -e "/tmp/.X11-unix/X${n}" ]; then
        echo "${n}"
        exit 0
      fi
      sleep 0.1
    done
  fi
done
echo "could not start Xvfb" >&2
exit 1
