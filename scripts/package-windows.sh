#!/usr/bin/env bash
# Usage: package-windows.sh [BUILD]
# Writes the Windows package from the Windows build in BUILD (build-windows by default):
# dist/Kolvex-<version>-win64.zip (the programs, the README as text, the licences of the libraries
# linked in and the sample table) and the installer dist/Kolvex-<version>-setup.exe, made with
# NSIS from packaging/windows/kolvex.nsi.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-windows}")
version=$(cat "$build/version.txt")
name=Kolvex-$version-win64
stage=$build/package/$name
rm -rf "$stage"
mkdir -p "$stage/samples" dist

# Text files for Windows: CR LF line ends.
as_text() { sed 's/\r*$/\r/' "$1" >"$2"; }
x86_64-w64-mingw32-strip -o "$stage/kolvex-export.exe" "$build/app/kolvex-export.exe"
x86_64-w64-mingw32-strip -o "$stage/kolvex.exe" "$build/app/kolvex.exe"
x86_64-w64-mingw32-strip -o "$stage/kolvex-bills.exe" "$build/app/kolvex-bills.exe"
# The user's guide in plain text (README.md is for Linux users and developers).
as_text packaging/windows/README.txt "$stage/README.txt"
as_text packaging/windows/kolvex-prompt.cmd "$stage/kolvex-prompt.cmd"
cp samples/TRAN.dbf "$stage/samples/"
libraries=$build/third-party/src
{
  echo "Kolvex links these libraries into its programs. Their licences follow."
  echo
  echo "== SQLite: in the public domain (https://www.sqlite.org/copyright.html)"
  echo
  echo "== zlib"
  sed -n '/^  Copyright (C)/,/^  Jean-loup/p' "$libraries/zlib/zlib.h"
  echo
  echo "== libharu (Haru Free PDF Library), the slips' PDF"
  sed -n 's/^#  Copyright/Copyright/p' "$libraries/libharu/README"
  sed -n '/^ \* Copyright/,/^ \* It is provided/p' "$libraries/libharu/include/hpdf.h"
  echo
  echo "== MinGW-w64 runtime and winpthreads"
  cat /usr/share/doc/mingw-w64-common/copyright 2>/dev/null ||
    cat /usr/share/doc/mingw-w64-x86-64-dev/copyright
} >"$build/package/licenses"
as_text "$build/package/licenses" "$stage/Licenses.txt"

rm -f "dist/$name.zip"
(cd "$build/package" && cmake -E tar cf "$OLDPWD/dist/$name.zip" --format=zip "$name")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$PWD/dist/Kolvex-$version-setup.exe" \
  packaging/windows/kolvex.nsi
echo "Wrote dist/$name.zip and dist/Kolvex-$version-setup.exe"
