# shellcheck shell=bash
# The build options and test environment of the test stages, shared by
# test.sh and shake.sh so that both run each stage the same way.
# Source it; then:
#   stage_build STAGE FOLDER   configures and builds the stage's programs
#   stage_ctest STAGE ARGS...  runs ctest on the stage's folder with its
#                              environment, labels and time limit (ARGS are
#                              passed on)
# Stages: plain (everything, every test), asan (AddressSanitizer and
# UndefinedBehaviorSanitizer without the desktop program), tsan
# (ThreadSanitizer with the desktop program; end-to-end and desktop tests).

stages_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

stage_options() {
  case "$1" in
    plain) ;;
    asan) echo "-DQHX_SANITIZE=address -DQHX_BUILD_UI=OFF -DQHX_BUILD_BENCH=OFF" ;;
    tsan) echo "-DQHX_SANITIZE=thread -DQHX_BUILD_UI=ON -DQHX_BUILD_BENCH=OFF" ;;
    *)
      echo "unknown stage: $1" >&2
      return 1
      ;;
  esac
}

stage_build() {
  local options
  options="$(stage_options "$1")" || return 1
  # shellcheck disable=SC2086  # the options are words
  bash "$stages_root/scripts/build.sh" "$2" $options
}

stage_ctest() {
  local stage="$1" folder="$2"
  shift 2
  export QT_QPA_PLATFORM=offscreen
  case "$stage" in
    plain) ctest --test-dir "$folder" --output-on-failure --timeout 600 "$@" ;;
    asan)
      QHX_TEST_TIME_SCALE=0.1 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$folder" --output-on-failure --timeout 900 "$@"
      ;;
    tsan)
      QHX_TEST_TIME_SCALE=0.25 \
        TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$stages_root/tests/tsan.supp" \
        ctest --test-dir "$folder" --output-on-failure --timeout 900 -L 'e2e|ui' "$@"
      ;;
    *)
      echo "unknown stage: $stage" >&2
      return 1
      ;;
  esac
}
