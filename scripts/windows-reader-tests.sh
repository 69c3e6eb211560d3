#!/usr/bin/env bash
# Builds the table reader, the output files of kolvex-export and their tests for Windows with
# MinGW-w64 and runs them under Wine: the Windows file layer (sharing with the program that writes
# the table, UTF-8 names), the code page converters, the reader over them, and the file that
# replaces an export's destination. SQLite, Qt and the spreadsheet library are not built for
# Windows here, so the SQL engine, the command itself and the window are left out. Run as root on
# Debian 12; installs what is missing. scripts/test.sh runs it last (KOLVEX_WINDOWS_TESTS=0 there
# skips it).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine wine64 googletest

out=build-windows
mkdir -p "$out"
cxx=x86_64-w64-mingw32-g++-posix
gtest=/usr/src/googletest/googletest
flags=(-std=c++20 -O1 -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor
       -Woverloaded-virtual -Wconversion -Wsign-conversion -Werror -I. -I"$gtest/include")

if [ ! -f "$out/libgtest.a" ]; then
  echo "== GoogleTest for Windows"
  "$cxx" -std=c++20 -O1 -I"$gtest/include" -I"$gtest" -c "$gtest/src/gtest-all.cc" \
    -o "$out/gtest-all.o"
  "$cxx" -std=c++20 -O1 -I"$gtest/include" -c "$gtest/src/gtest_main.cc" -o "$out/gtest_main.o"
  x86_64-w64-mingw32-ar rcs "$out/libgtest.a" "$out/gtest-all.o" "$out/gtest_main.o"
fi

echo "== Reader tests for Windows"
sources=(
  platform/path_text.cpp platform/system_message.cpp
  platform/output_file.cpp platform/output_file_win32.cpp
  platform/db/file_map.cpp platform/db/file_map_win32.cpp
  platform/db/code_page.cpp platform/db/code_page_tables.cpp
  platform/db/code_page_converter_win32.cpp
  platform/db/number_format.cpp platform/db/dbf_table.cpp
  tests/db/db_test_support.cpp tests/db/dbf_reader_test.cpp tests/db/file_map_test.cpp
  tests/db/code_page_test.cpp tests/db/number_format_test.cpp
  tests/platform/output_file_test.cpp
  tests/support/temp_dir.cpp
)
# Wine shows the root of the host's file system as drive Z:.
"$cxx" "${flags[@]}" -DKOLVEX_SOURCE_DIR="\"Z:$PWD\"" -DKOLVEX_BINARY_DIR="\"Z:$PWD/$out\"" \
  "${sources[@]}" "$out/libgtest.a" -static -lshell32 -pthread -o "$out/reader_test.exe"

echo "== Running under Wine"
export WINEPREFIX="$PWD/$out/wine" WINEDEBUG=-all
# A machine where Wine itself cannot start still gets the build checked; the tests need it.
if ! wine cmd /c exit 0 >/dev/null 2>&1; then
  echo "Wine cannot start on this machine: the Windows tests were built but not run."
  exit 0
fi
wine "$out/reader_test.exe"
