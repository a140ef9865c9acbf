#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root) and builds into ./build. Safe to run again.
# CORVANE_WERROR=ON|OFF and BUILD_TYPE change the build's settings; left unset, an existing build
# keeps its own, so the demo and the tests share one build. BUILD_DIR and CORVANE_SANITIZE=ON make
# a second, sanitized build beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-serialport-dev libgl-dev
          libsqlite3-dev sqlite3 libpq-dev libkainjow-mustache-dev postgresql googletest libgtest-dev
          libbenchmark-dev poppler-utils xvfb xauth openssl)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
build="${BUILD_DIR:-build}"
args=(-S . -B "$build" -G Ninja)
if [ ! -f "$build/CMakeCache.txt" ] || [ -n "${BUILD_TYPE:-}" ]; then
  args+=(-DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
fi
[ -n "${CORVANE_WERROR:-}" ] && args+=(-DCORVANE_WERROR="$CORVANE_WERROR")
[ -n "${CORVANE_SANITIZE:-}" ] && args+=(-DCORVANE_SANITIZE="$CORVANE_SANITIZE")
[ -n "${CORVANE_BENCH:-}" ] && args+=(-DCORVANE_BENCH="$CORVANE_BENCH")
cmake "${args[@]}" >/dev/null
cmake --build "$build"
