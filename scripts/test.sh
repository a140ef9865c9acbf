#!/usr/bin/env bash
# Installs, builds and runs every test, the PostgreSQL ones against a private server it starts.
#   --sanitize   builds a second tree (build-sanitize) with AddressSanitizer and UndefinedBehaviorSanitizer
#                and runs every test there instead
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  # Benchmarks measure nothing under the sanitizers.
  BUILD_DIR=$build BUILD_TYPE=RelWithDebInfo CORVANE_SANITIZE=ON CORVANE_BENCH=OFF CORVANE_WERROR=ON bash scripts/setup.sh
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  CORVANE_WERROR=ON bash scripts/setup.sh
fi

pgdir=$(mktemp -d /tmp/corvane-pg.XXXXXX)
cleanup() { bash scripts/pg-private.sh stop "$pgdir"; rm -rf "$pgdir"; }
trap cleanup EXIT
CORVANE_TEST_PG=$(bash scripts/pg-private.sh start "$pgdir")
export CORVANE_TEST_PG CORVANE_REQUIRE_PG=1 QT_QPA_PLATFORM=offscreen

ctest --test-dir "$build" --output-on-failure -j2 --timeout 900
