#!/usr/bin/env bash
# Installs what is needed, builds, and starts the desktop program on the
# virtual logger. Extra arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build"
if [ -x "$root/build/bin/quorvane-hx" ]; then
  exec "$root/build/bin/quorvane-hx" --simulate "$@"
fi
exec "$root/build/bin/quorvane-ctl" --simulate info "$@"
