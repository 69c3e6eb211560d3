#!/usr/bin/env bash
# Installs what is missing, checks the layout of the C and C++ sources (scripts/check-format.sh),
# then builds and runs every test twice, each build from its preset in CMakePresets.json: in the
# normal build with warnings as errors (build/), and in a clang build with AddressSanitizer and
# UBSan (build-asan/), where the fuzz targets also run for a bounded time. The tests of the reader,
# the load and the export, which use threads of their own, run a third time in a clang build with
# ThreadSanitizer (build-tsan/). Last, the Windows version is built with MinGW-w64, its tests run
# under Wine, and its zip and installer are made and the installer tested
# (scripts/build-windows.sh; KOLVEX_WINDOWS_TESTS=0 skips that). Fails when any check or test
# fails.
#
# `scripts/test.sh quick` is the tier for each change: the layout check, the normal build and its
# tests, and nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."

tier=${1:-full}
if [ "$tier" != full ] && [ "$tier" != quick ]; then
  echo "usage: scripts/test.sh [quick]" >&2
  exit 2
fi

bash scripts/install-deps.sh
export KOLVEX_DEPS_INSTALLED=1
jobs=$(nproc)
fuzz_seconds=${KOLVEX_FUZZ_SECONDS:-60}

echo "== Format (clang-format)"
bash scripts/check-format.sh

echo "== Normal build (warnings are errors)"
cmake --preset normal >/dev/null
cmake --build --preset normal -j "$jobs"
ctest --preset normal -j "$jobs"

if [ "$tier" = quick ]; then
  exit 0
fi

echo "== Sanitizer build (AddressSanitizer + UBSan, clang)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

echo "== ThreadSanitizer build of the tests that use threads (clang)"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
for binary in db_test data_test export_test; do
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 "build-tsan/tests/$binary" \
    --gtest_brief=1
done

if [ "$fuzz_seconds" -gt 0 ] && [ -d build-asan/fuzz ]; then
  echo "== Fuzzing, ${fuzz_seconds} s a target"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  for target in build-asan/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    cp -r "fuzz/corpus/${name#fuzz_}/." "$corpus/" 2>/dev/null || true
    "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 \
      "$corpus" >"build-asan/$name.log" 2>&1 || {
      tail -50 "build-asan/$name.log"
      echo "$name found a fault"
      exit 1
    }
    grep -E 'Done [0-9]+ runs' "build-asan/$name.log" || true
    rm -rf "$corpus"
  done
fi

if [ "${KOLVEX_WINDOWS_TESTS:-1}" != 0 ]; then
  bash scripts/build-windows.sh build
fi
