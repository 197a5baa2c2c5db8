#!/usr/bin/env bash
# Shakes the test suite for failures that come by chance: builds the chosen
# stages as test.sh does, then runs their tests repeatedly and in parallel
# while busy processes load the processors. Run it before a large change.
#
#   scripts/shake.sh [STAGE...]       stages: plain asan tsan (default: all three)
#
# Settings (environment):
#   REPEAT=5      each test runs until it fails, at most this many times
#   JOBS=4        tests run at once
#   HOGS=2        busy processes beside the tests (yes > /dev/null)
#   LABELS=REGEX  only tests whose label matches (e.g. 'e2e|ui'; the tsan
#                 stage runs only e2e and ui tests anyway)
#   TESTS=REGEX   only tests whose name matches
#   BUILD=0       use the stages' build folders as they are
# Each stage's output goes to build-shake/STAGE.log; the summary names every
# test that failed. The exit status is 1 when any test failed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=test_stages.sh
. "$root/scripts/test_stages.sh"

repeat="${REPEAT:-5}"
jobs="${JOBS:-4}"
hogs="${HOGS:-2}"
stages=("$@")
((${#stages[@]})) || stages=(plain asan tsan)
for stage in "${stages[@]}"; do stage_options "$stage" >/dev/null; done

declare -A folder=([plain]="$root/build" [asan]="$root/build-asan" [tsan]="$root/build-tsan")
logs="$root/build-shake"
mkdir -p "$logs"

hog_pids=()
stop_hogs() {
  local pid
  for pid in "${hog_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${hog_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  hog_pids=()
}
trap stop_hogs EXIT
trap 'exit 130' INT TERM

start_hogs() {
  local i
  for ((i = 0; i < hogs; i++)); do
    yes >/dev/null &
    hog_pids+=("$!")
  done
}

selection=()
[ -n "${LABELS:-}" ] && selection+=(-L "$LABELS")
[ -n "${TESTS:-}" ] && selection+=(-R "$TESTS")

summary=()
failed=0
for stage in "${stages[@]}"; do
  dir="${folder[$stage]}"
  if [ "${BUILD:-1}" != 0 ]; then
    echo "== build: $stage"
    stage_build "$stage" "$dir"
  fi
  count="$(stage_ctest "$stage" "$dir" -N "${selection[@]}" | sed -n 's/^Total Tests: //p')"
  log="$logs/$stage.log"
  echo "== $stage: $count tests, each up to $repeat runs, $jobs at once, $hogs busy processes beside; output in $log"
  start_hogs
  status=0
  stage_ctest "$stage" "$dir" -j"$jobs" --repeat until-fail:"$repeat" "${selection[@]}" >"$log" 2>&1 || status=$?
  stop_hogs
  if [ "$status" = 0 ]; then
    summary+=("$stage: $count tests x $repeat runs: no failure")
  else
    failed=1
    summary+=("$stage: $count tests x up to $repeat runs: FAILED (exit $status)")
    while IFS= read -r line; do summary+=("    $line"); done < <(sed -n '/The following tests FAILED:/,$p' "$log" | sed -n 's/^[[:space:]]*\([0-9]\+ - .*\)$/\1/p')
  fi
done

echo "== shake summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
