#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run:
# compilers and build tools; clang's runtime for the fuzz targets; the core's
# libraries; Qt (with Qt Charts and Qt SVG for the level chart) and the fonts
# of the desktop program; xvfb for
# screenshots.sh; python3 for a test; the MinGW compiler, GoogleTest sources,
# Wine and bc for wine-test.sh; ccache so that rebuilds and the sanitizer
# stages reuse what was compiled before.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  clang libclang-rt-14-dev
  libgtest-dev
  libserialport-dev libsqlite3-dev nlohmann-json3-dev libcli11-dev libicu-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  fonts-ipafont-gothic fonts-dejavu-core
  xvfb xauth
  python3
  g++-mingw-w64-x86-64-posix googletest wine wine64 bc
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
