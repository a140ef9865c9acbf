#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and UndefinedBehaviorSanitizer)
# in their own tree, build-fuzz, and runs each for SECONDS (default 60) over its seed corpus.
#   scripts/fuzz.sh [SECONDS] [TARGET...]      TARGET: command, layout, script, analyser (default all)
# New inputs the fuzzer keeps go to build-fuzz/corpus/TARGET; a crash, hang or leak is written to
# build-fuzz/findings/TARGET and the script ends non-zero. Fix it, then keep the input as a named
# test case in tests/fuzz/regressions/TARGET/, which the normal build's tests replay.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(command layout script analyser)

packages=(clang-14 libclang-rt-14-dev)
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
build=build-fuzz
# Everything the targets link is instrumented for coverage; only the targets get libFuzzer's main.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCORVANE_FUZZ=ON -DCORVANE_WERROR=OFF -DCORVANE_BENCH=OFF >/dev/null
fi
nice -n 15 cmake --build "$build" --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
summary=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$corpus" "$findings"
  log="$build/fuzz-$t.log"
  echo "== $t: ${seconds} s"
  # The first folder collects what the fuzzer learns; the seeds in the repository stay as they are.
  dict=()
  [ -f tests/fuzz/dict/"$t".dict ] && dict=(-dict=tests/fuzz/dict/"$t".dict)
  set +e
  nice -n 15 "$build/tests/fuzz/fuzz_$t" "$corpus" tests/fuzz/corpus/"$t" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -1)
  found=$(find "$findings" -type f | wc -l)
  summary+=("$t: ${runs:-?} executions, $found finding(s), exit $rc")
  if [ "$rc" -ne 0 ] || [ "$found" -ne 0 ]; then
    status=1
    grep -E '^==[0-9]+==ERROR|^SUMMARY|runtime error|broken:|Test unit written' "$log" | head -20 || true
  fi
done

echo
printf '%s\n' "${summary[@]}"
exit $status
