#!/usr/bin/env bash
# Runs a Windows program under Wine with a private, quiet prefix that lives
# beside the build, or in the user's cache when installed (WINEPREFIX may
# name another). The first run creates the
# prefix; later runs reuse it. Exits with the program's exit code.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# In the tree, beside the Windows build; installed with the package, in the
# user's cache.
if [ -z "${WINEPREFIX:-}" ]; then
  if [ -d "$here/../../build-win" ]; then
    WINEPREFIX="$here/../../build-win/wineprefix"
  else
    WINEPREFIX="${XDG_CACHE_HOME:-$HOME/.cache}/mivexgl/wineprefix"
  fi
fi
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers, no first-run dialogs.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then
  wine="$(command -v wine64 || command -v wine)"
fi
# Tests name their X server in MIVEX_TEST_DISPLAY.
if [ -z "${DISPLAY:-}" ] && [ -n "${MIVEX_TEST_DISPLAY:-}" ]; then
  export DISPLAY="$MIVEX_TEST_DISPLAY"
fi
mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # One process at a time creates the prefix.
  exec 9> "$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init > /dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w 2> /dev/null || wineserver -w 2> /dev/null || true
  fi
  flock -u 9
fi
exec "$wine" "$@"
