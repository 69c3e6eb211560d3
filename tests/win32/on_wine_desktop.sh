#!/usr/bin/env bash
# Usage: on_wine_desktop.sh COMMAND [ARGUMENTS...]
# Runs COMMAND with the Wine prefix $KOLVEX_WINEPREFIX showing its windows on a desktop of Wine's
# own inside the X display: Wine then draws the windows' frames and title bars as Windows does,
# and moves the keyboard focus and activates windows itself, with no X window manager. The
# Windows window's tests and its end-to-end run need that.
set -euo pipefail
wine_run=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh
"$wine_run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
"$wine_run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x720 /f >/dev/null
exec "$@"
