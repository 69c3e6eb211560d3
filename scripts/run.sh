#!/usr/bin/env bash
# Installs what is missing, builds the program and starts the window in the sample table's folder,
# so "Browse Database" opens there. The build is the normal preset's (build/, as scripts/test.sh
# makes it). Without a desktop session (no DISPLAY or WAYLAND_DISPLAY) it starts the window on an
# X display of its own (scripts/on-own-display.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset normal >/dev/null
cmake --build --preset normal --target kolvex kolvex-export

program="$PWD/build/app/kolvex"
own_display="$PWD/scripts/on-own-display.sh"
# Qt wants a private runtime folder; a root shell without a desktop session has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
cd samples
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session found: starting the window under Xvfb."
  exec "$own_display" "$program" "$@"
fi
exec "$program" "$@"
