#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs each for the given number of seconds (default 60), starting from the
# seed corpus in fuzz/corpus/<target>. New inputs go to build-fuzz/corpus, so
# the repository's seeds stay as they are. Prints the executions per target.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQHX_BUILD_FUZZ=ON -DQHX_SANITIZE=address -DQHX_BUILD_UI=OFF -DQHX_BUILD_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
status=0
for seeds in "$root"/fuzz/corpus/*/; do
  name="$(basename "$seeds")"
  work="$build/corpus/$name"
  mkdir -p "$work" "$build/artifacts/$name"
  log="$build/fuzz_$name.log"
  if "$build/bin/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$name/" "$work" "$seeds" >"$log" 2>&1; then
    execs="$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')"
    echo "fuzz_$name: ${seconds}s, ${execs:-?} executions, no finding"
  else
    echo "fuzz_$name: FINDING (see $log and $build/artifacts/$name/)"
    tail -30 "$log"
    status=1
  fi
done
exit $status
