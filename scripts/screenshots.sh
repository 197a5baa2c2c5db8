#!/usr/bin/env bash
# Saves screenshots of the desktop program into docs/screenshots/: the main
# window, the port selection, the page host and each device page, the progress
# dialog, the terminal, every wizard page, the item trees, the readout range
# dialog, the data viewer and its CSV save, the archive window (over an archive the tour
# writes) with its chart and table, the monitor, the firmware dialog, the version box
# and the save dialog, in Japanese and (with the suffix "_en") in English. The
# steps are listed in src/app/screenshot_tour.cpp.
#
# The program walks through the states itself against its simulated logger
# (quorvane-hx --simulate --screenshot-tour DIR) on a virtual X display; its
# clock runs 83 s ahead, so that the system page shows a highlighted offset.
#
# Usage: scripts/screenshots.sh [BUILD_DIR]
#   BUILD_DIR  an existing build directory; without it the program is built
#              in build-screenshots/ beside the sources.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-screenshots}"
out="$root/docs/screenshots"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DBUILD_TESTING=OFF -DQHX_BUILD_BENCH=OFF
fi
ninja -C "$build" -j"${JOBS:-2}" quorvane-hx

program="$build/bin/quorvane-hx"
mkdir -p "$out"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
for lang in ja en; do
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$program" --simulate --sim-clock-offset 83 --lang "$lang" --screenshot-tour "$out"
done
echo "screenshots in $out"
