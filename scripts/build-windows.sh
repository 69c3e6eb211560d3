#!/usr/bin/env bash
# Usage: build-windows.sh [LINUX_BUILD]
# Builds the Windows version of Kolvex, the window and the command, with MinGW-w64 into
# build-windows (the windows preset of CMakePresets.json), runs every test suite of it under Wine
# with ctest (the window's on an X display of their own), then writes the zip and the installer
# into dist/ and tests the installer under Wine. The command's tests are run by the Linux build's
# cli_test: that of LINUX_BUILD (which must hold it), or else of the normal preset's build/,
# built here. Run as root on Debian 12; installs what is missing. Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

linux_build=${1:-}
if [ -n "$linux_build" ]; then
  bash scripts/install-deps.sh --windows
else
  bash scripts/install-deps.sh
fi
export KOLVEX_DEPS_INSTALLED=1
jobs=$(nproc)

host_cli_test=()
if [ -n "$linux_build" ]; then
  host_cli_test=(-DKOLVEX_HOST_CLI_TEST="$(realpath "$linux_build")/tests/cli/cli_test")
else
  echo "== Linux build of the command's tests"
  cmake --preset normal >/dev/null
  cmake --build --preset normal -j "$jobs" --target cli_test
fi

echo "== Windows build (MinGW-w64)"
# The build runs each test program under Wine to list its tests; one Wine server serves them all
# (scripts/wine-run.sh), as a fixture of ctest's does for the tests.
wine_server=(env KOLVEX_WINEPREFIX="$PWD/build-windows/wine" scripts/wine-run.sh --server)
"${wine_server[@]}" start
trap '"${wine_server[@]}" stop' EXIT
cmake --preset windows "${host_cli_test[@]}" >/dev/null
cmake --build --preset windows -j "$jobs"

echo "== Windows tests under Wine"
ctest --preset windows -j "$jobs"

echo "== Windows package"
bash scripts/package-windows.sh build-windows
version=$(cat build-windows/version.txt)
bash scripts/test-windows-installer.sh "dist/Kolvex-$version-setup.exe" build-windows
