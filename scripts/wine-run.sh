#!/usr/bin/env bash
# Usage: wine-run.sh PROGRAM [ARGUMENTS...]
#        wine-run.sh --server start|stop
# Runs a Windows program under Wine with the arguments given, in a Wine prefix of the build's own:
# $KOLVEX_WINEPREFIX, or else build-windows/wine in the repository. The prefix is made on first
# use, by one caller at a time. Wine's own messages are left out. ctest runs the Windows test
# programs through this script.
#
# Wine's server for a prefix shuts itself down three seconds after its last program ends, and a
# program that starts while it does so is refused ("a wine server seems to be running, but I
# cannot connect to it"). Runs of many short programs, the build's test discovery and ctest, so
# keep one server running throughout: "--server start" stops whatever server the prefix has and
# starts one that never shuts itself down, "--server stop" stops it. The prefix's own services
# start with the server and run as long as it does; they are started here, with no output, so
# that they do not hold open the output of the first test program (ctest waits for that to end).
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

if [ "${1:-}" = --server ]; then
  case "${2:-}" in
    start)
      # wineserver -k returns once the old server has gone; a new one then takes the prefix.
      for _ in 1 2 3; do
        wineserver -k 2>/dev/null || true
        if wineserver --persistent 2>/dev/null; then
          wine cmd /c exit 0 </dev/null >/dev/null 2>&1
          exit 0
        fi
      done
      echo "wine-run.sh: Wine's server cannot start for the prefix $WINEPREFIX" >&2
      exit 1
      ;;
    stop)
      wineserver -k 2>/dev/null || true
      exit 0
      ;;
    *)
      echo "usage: wine-run.sh --server start|stop" >&2
      exit 2
      ;;
  esac
fi
exec wine "$@"
