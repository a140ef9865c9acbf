#!/usr/bin/env bash
# Installs and builds, creates the embedded demo database and starts the host application on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
demo="${CORVANE_DEMO_DIR:-$HOME/.local/share/corvane/demo}"
./build/apps/labhost/labhost init-demo "$demo"
exec ./build/apps/labhost/labhost
