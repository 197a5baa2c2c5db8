#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test:
#   1. the plain build (core, virtual logger, command-line tool, desktop program)
#      with every test;
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build of the core, the
#      virtual logger and the command-line tool, with all their tests;
#   3. ThreadSanitizer build with the desktop program, with the end-to-end
#      tests (label e2e) and the desktop program's tests (label ui);
#   4. every fuzz target for a short time (FUZZ_SECONDS, default 20);
#   5. the Windows cross build under Wine: the core's unit tests and
#      quorvane-ctl.exe against the virtual logger (scripts/wine-test.sh).
# QUICK=1 runs only the first stage.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

echo "== plain build and all tests"
bash "$root/scripts/build.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j2 --timeout 600

[ "${QUICK:-0}" = 1 ] && exit 0

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
bash "$root/scripts/build.sh" "$root/build-asan" -DQHX_SANITIZE=address -DQHX_BUILD_UI=OFF -DQHX_BUILD_BENCH=OFF
QHX_TEST_TIME_SCALE=0.1 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j2 --timeout 900

echo "== ThreadSanitizer, end-to-end and desktop tests"
bash "$root/scripts/build.sh" "$root/build-tsan" -DQHX_SANITIZE=thread -DQHX_BUILD_UI=ON -DQHX_BUILD_BENCH=OFF
QHX_TEST_TIME_SCALE=0.25 TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp" \
  ctest --test-dir "$root/build-tsan" --output-on-failure -j2 --timeout 900 -L 'e2e|ui'

echo "== fuzz targets"
FUZZ_BUILD_DIR="$root/build-fuzz" bash "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}"

echo "== Windows build under Wine"
QHX_NATIVE_BUILD="$root/build" bash "$root/scripts/wine-test.sh"
