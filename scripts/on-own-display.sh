#!/usr/bin/env bash
# Usage: on-own-display.sh COMMAND [ARGUMENTS...]
# Runs a command on an X display of its own: an Xvfb server on a free display number, started for
# the run and stopped after it, and with it the Wine processes of the prefix $KOLVEX_WINEPREFIX
# when that is set. The command starts once the server takes clients; its exit status is this
# script's. Every test that needs an X display runs this way (gui_test_on_x11, real_paste,
# win32_gui_test, kolvex_end_to_end), and so does scripts/run.sh without a desktop session.
# When Xvfb is not installed it exits with 77, which a test that may be skipped counts as a skip
# and every other test as a failure; when Xvfb cannot start it fails, saying why. Either way what
# was to run on the display does not run, and that is never a pass.
set -euo pipefail
if ! command -v Xvfb >/dev/null; then
  echo "on-own-display.sh: Xvfb is not installed (scripts/install-deps.sh installs it); what was" \
       "to run on it cannot" >&2
  exit 77
fi
run=$(mktemp -d)
xvfb=
command_pid=
stop() {
  if [ -n "$command_pid" ]; then kill "$command_pid" 2>/dev/null || true; fi
  if [ -n "${KOLVEX_WINEPREFIX:-}" ]; then
    WINEPREFIX=$KOLVEX_WINEPREFIX wineserver -k 2>/dev/null || true
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$run"
}
trap stop EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Xvfb takes a free display number and writes it into the pipe once it is ready for clients; the
# read ends with the number, or with nothing when Xvfb ends first.
mkfifo "$run/display"
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$run/display" 2>"$run/xvfb.log" &
xvfb=$!
number=
read -r -t 60 number <"$run/display" || true
if [ -z "$number" ]; then
  echo "on-own-display.sh: Xvfb did not start; what was to run on it cannot" >&2
  cat "$run/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

# The command runs in the background, so that a signal to this script stops it and the display at
# once; its standard input stays this script's.
"$@" <&0 &
command_pid=$!
status=0
wait "$command_pid" || status=$?
command_pid=
exit "$status"
