#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs that are not installed yet: all of them, those
# of the Windows build alone with --windows, or those named as arguments. Run as root. Runs once
# per test run: a script that has run it sets KOLVEX_DEPS_INSTALLED for the scripts it starts, and
# then it does nothing.
set -euo pipefail
if [ -n "${KOLVEX_DEPS_INSTALLED:-}" ]; then
  exit 0
fi

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev libgl-dev libsqlite3-dev zlib1g-dev libhpdf-dev poppler-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  python3 python3-dbf python3-dbfread
  xvfb xauth
  libreoffice-calc gnumeric openbox xdotool locales
)
# The Windows build: MinGW-w64, Wine, GoogleTest's source, NSIS, what fetches and builds the
# libraries from Debian's source packages (of the versions of the Linux packages installed), the
# X display and keyboard of the window's tests, and what reads the slips back.
windows_packages=(
  g++-mingw-w64-x86-64-posix wine wine64 googletest nsis dpkg-dev tcl debian-archive-keyring
  libsqlite3-dev zlib1g-dev libhpdf-dev xvfb xauth xdotool python3 poppler-utils
)
packages+=("${windows_packages[@]}")
if [ "${1:-}" = --windows ]; then
  packages=("${windows_packages[@]}")
elif [ $# -gt 0 ]; then
  packages=("$@")
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
  "${missing[@]}"
