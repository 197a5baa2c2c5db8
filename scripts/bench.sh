#!/usr/bin/env bash
# Builds in release mode and prints the benchmark table of this machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
"$root/build-release/bin/quorvane-bench" "$@"
