#!/usr/bin/env bash
# Usage: test-windows-installer.sh SETUP.exe [BUILD]
# Tests the Windows installer under Wine, in a Wine prefix of its own under BUILD (build-windows by
# default), for one user and for every user: a silent install (/S) puts the programs, their
# Start-menu entries (the window, a console for the command, the README) and the uninstall entry
# in place; the installed kolvex-export.exe exports the installed sample as the build's own does;
# the silent uninstall leaves the prefix's files and the uninstall entries as they were before the
# install.
set -euo pipefail
cd "$(dirname "$0")/.."
setup=$(realpath "$1")
build=$(realpath "${2:-build-windows}")
export WINEPREFIX=$build/wine-installer WINEDEBUG=-all KOLVEX_WINEPREFIX=$build/wine-installer
wine_run=$PWD/scripts/wine-run.sh
drive=$WINEPREFIX/drive_c
fail() { echo "installer test: $*" >&2; exit 1; }

# Files of the prefix, less the temporary folders and Wine's own caches.
files() { (cd "$drive" && find . -path './users/*/Temp' -prune -o -path './windows' -prune -o -print | sort); }
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Kolvex'

# A new prefix each time, so that nothing of an earlier run is counted as there before.
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
"$wine_run" cmd /c exit 0
expected=$(mktemp)
trap 'rm -f "$expected"' EXIT
"$wine_run" "$build/app/kolvex-export.exe" 'Z:'"$PWD"'/samples/TRAN.dbf' 2081/01/01 2081/01/31 >"$expected"

for mode in CurrentUser AllUsers; do
  echo "== Installer, /$mode"
  before=$(files)
  "$wine_run" "$setup" /S "/$mode"
  wineserver -w
  if [ $mode = CurrentUser ]; then
    home=$drive/users/$(id -un)
    root=HKCU
    installed=$home/AppData/Local/Programs/Kolvex
    menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kolvex"
  else
    root=HKLM
    installed="$drive/Program Files/Kolvex"
    menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Kolvex"
  fi
  for file in kolvex.exe kolvex-bills.exe kolvex-export.exe kolvex-prompt.cmd README.txt \
              Licenses.txt samples/TRAN.dbf Uninstall.exe; do
    [ -f "$installed/$file" ] || fail "/$mode did not install $file into $installed"
  done
  for entry in Kolvex.lnk "Kolvex Bills.lnk" "Kolvex Command Prompt.lnk" "Kolvex README.lnk"; do
    [ -f "$menu/$entry" ] || fail "/$mode made no Start-menu entry $entry in $menu"
  done
  "$wine_run" reg query "$root\\$uninstall_key" /v UninstallString >/dev/null ||
    fail "/$mode made no uninstall entry under $root"

  # The installed program, started from its own folder, exports the installed sample.
  (cd "$installed" && "$wine_run" kolvex-export.exe 'samples\TRAN.dbf' 2081/01/01 2081/01/31) |
    cmp - "$expected" || fail "the installed kolvex-export.exe exports another text"

  "$wine_run" "$installed/Uninstall.exe" /S "/$mode"
  wineserver -w
  diff <(echo "$before") <(files) || fail "/$mode: the uninstaller left the files above"
  if "$wine_run" reg query "$root\\$uninstall_key" >/dev/null 2>&1; then
    fail "/$mode: the uninstaller left its uninstall entry under $root"
  fi
done
echo "Installer test passed: installed, exported the sample and uninstalled, for one user and for all"
