#!/usr/bin/env bash
# Usage: on-own-display.sh COMMAND [ARGUMENTS...]
# Runs a command on an X display of its own: an Xvfb server started for the run and stopped after
# it, and with it the Wine processes of the prefix $KOLVEX_WINEPREFIX when that is set. The
# Windows window's tests run under Wine this way. Fails, saying why, when Xvfb cannot start: the
# tests then do not run, and that is not a pass.
set -euo pipefail
if ! command -v Xvfb >/dev/null; then
  echo "on-own-display.sh: Xvfb is not installed; what was to run on it cannot" >&2
  exit 1
fi
run=$(mktemp -d)
# Xvfb writes the number of the display it took once it is ready for clients.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$run/display" 2>"$run/xvfb.log" &
xvfb=$!
stop() {
  if [ -n "${KOLVEX_WINEPREFIX:-}" ]; then WINEPREFIX=$KOLVEX_WINEPREFIX wineserver -k 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$run"
}
trap stop EXIT
for _ in $(seq 300); do
  [ -s "$run/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$run/display" ]; then
  echo "on-own-display.sh: Xvfb did not start; what was to run on it cannot" >&2
  cat "$run/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -1 "$run/display")"
"$@"
