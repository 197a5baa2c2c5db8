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
# QUICK=1 runs only the first stage. scripts/shake.sh runs the first three
# stages' tests repeatedly under load, for failures that come by chance.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
# shellcheck source=test_stages.sh
. "$root/scripts/test_stages.sh"

echo "== plain build and all tests"
stage_build plain "$root/build"
stage_ctest plain "$root/build" -j2

[ "${QUICK:-0}" = 1 ] && exit 0

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
stage_build asan "$root/build-asan"
stage_ctest asan "$root/build-asan" -j2

echo "== ThreadSanitizer, end-to-end and desktop tests"
stage_build tsan "$root/build-tsan"
stage_ctest tsan "$root/build-tsan" -j2

echo "== fuzz targets"
FUZZ_BUILD_DIR="$root/build-fuzz" bash "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}"

echo "== Windows build under Wine"
QHX_NATIVE_BUILD="$root/build" bash "$root/scripts/wine-test.sh"
