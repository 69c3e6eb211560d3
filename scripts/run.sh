#!/usr/bin/env bash
# Installs what is missing, builds the program and starts the window in the sample table's folder,
# so "Browse Database" opens there. Without a desktop session (no DISPLAY or WAYLAND_DISPLAY) it
# starts a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVEX_TESTS=OFF >/dev/null
cmake --build build --target kolvex kolvex-export

program="$PWD/build/app/kolvex"
# Qt wants a private runtime folder; a root shell without a desktop session has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
cd samples
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session found: starting the window under Xvfb."
  exec xvfb-run -a "$program" "$@"
fi
exec "$program" "$@"
