#!/usr/bin/env bash
# Runs a Windows program under Wine with the arguments given, in a Wine prefix of the build's own:
# $KOLVEX_WINEPREFIX, or else build-windows/wine in the repository. The prefix is made on first
# use, by one caller at a time. Wine's own messages are left out. ctest runs the Windows test
# programs through this script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${KOLVEX_WINEPREFIX:-$root/build-windows/wine}
export WINEDEBUG=-all
# A prefix made for tests: no desktop menus, no Mono or Gecko installers.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}

if [ ! -f "$WINEPREFIX/.made" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.made" ]; then
      if ! wine wineboot --init >/dev/null 2>&1 || ! wineserver -w; then
        echo "wine-run.sh: Wine cannot start on this machine (prefix $WINEPREFIX)" >&2
        exit 1
      fi
      touch "$WINEPREFIX/.made"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
