#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root) and builds into ./build. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-base-dev-tools qt6-tools-dev libgl-dev
          libsqlite3-dev libpq-dev libkainjow-mustache-dev postgresql googletest libgtest-dev
          libbenchmark-dev poppler-utils xvfb xauth)
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
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DCORVANE_WERROR="${CORVANE_WERROR:-OFF}" >/dev/null
cmake --build build
