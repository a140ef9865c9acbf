#!/usr/bin/env bash
# Installs, builds and runs every test, the PostgreSQL ones against a private server it starts.
set -euo pipefail
cd "$(dirname "$0")/.."
CORVANE_WERROR=ON bash scripts/setup.sh

pgdir=$(mktemp -d /tmp/corvane-pg.XXXXXX)
cleanup() { bash scripts/pg-private.sh stop "$pgdir"; rm -rf "$pgdir"; }
trap cleanup EXIT
CORVANE_TEST_PG=$(bash scripts/pg-private.sh start "$pgdir")
export CORVANE_TEST_PG CORVANE_REQUIRE_PG=1 QT_QPA_PLATFORM=offscreen

ctest --test-dir build --output-on-failure -j2 --timeout 600
