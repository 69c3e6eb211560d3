#!/usr/bin/env bash
# Usage: build-windows.sh [LINUX_BUILD]
# Builds the Windows version of Kolvex, the window and the command, with MinGW-w64 into
# build-windows, runs every test suite of it under Wine with ctest (the window's on an Xvfb display
# of their own), then writes the zip and the installer into dist/ and tests the installer under
# Wine. The command's tests are run by the Linux build's cli_test:
# that of LINUX_BUILD (which must hold it), or else of a Linux build made in build-windows-host.
# Run as root on Debian 12; installs what is missing. Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --windows
jobs=$(nproc)

linux_build=${1:-}
if [ -z "$linux_build" ]; then
  echo "== Linux build of the command's tests"
  bash scripts/install-deps.sh
  linux_build=build-windows-host
  cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVEX_GUI=OFF \
    >/dev/null
  cmake --build "$linux_build" -j "$jobs" --target cli_test
fi

echo "== Windows build (MinGW-w64)"
# One configuration at -O1: the tests run under Wine, and the build is part of every test run.
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DKOLVEX_WERROR=ON \
  -DKOLVEX_HOST_CLI_TEST="$(realpath "$linux_build")/tests/cli/cli_test" >/dev/null
cmake --build build-windows -j "$jobs"

echo "== Windows tests under Wine"
ctest --test-dir build-windows --output-on-failure -j "$jobs"

echo "== Windows package"
bash scripts/package-windows.sh build-windows
version=$(sed -n 's/^project(Kolvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
bash scripts/test-windows-installer.sh "dist/Kolvex-$version-setup.exe" build-windows
