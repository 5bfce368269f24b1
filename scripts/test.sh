#!/usr/bin/env bash
# Sets up, builds and runs every test: native (with sanitizers), under Wine, and end to end.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/setup.sh
jobs="$(nproc)"

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== fuzzing the parsers of tool output (clang, libFuzzer, 10 s each)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
# Inputs stay short (the third field, in bytes): the parsers walk their text in one pass, so a
# longer input costs time and finds no other path. A fixture longer than that is cut there;
# tests/fuzz/seeds holds such outputs without the parts the parsers pass over, so their structure
# still fits.
for spec in wim_editions:wim_info:768 imagex_progress:imagex_console:1024; do
  IFS=: read -r name dir max_len <<<"$spec"
  seeds=("tests/fixtures/$dir")
  [ -d "tests/fuzz/seeds/$dir" ] && seeds+=("tests/fuzz/seeds/$dir")
  corpus="build/fuzz/corpus/$name" log="build/fuzz/$name.log"
  mkdir -p "$corpus"
  if ! "build/fuzz/fuzz_$name" -max_total_time=10 -max_len="$max_len" \
    -artifact_prefix="build/fuzz/$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    cat "$log"
    echo "fuzz_$name found a fault (see $log)"
    exit 1
  fi
  echo "fuzz_$name: $(grep -a '^Done' "$log")"
done

echo "== the progress tick at the console box's limit"
build/native/qv_progress_bench --benchmark_min_time=0.2 2>/dev/null
echo "== the image scan and search against the bare directory functions"
build/native/qv_scan_benchmark --benchmark_color=false 2>/dev/null | grep -E 'walker / bare'

source scripts/wine-env.sh
echo "== the program for Windows (i686)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
if [ "$QV_WIN_PRESET" != win32 ]; then
  echo "== this machine cannot run 32-bit Linux programs: the Wine tests run the x86_64 build"
  cmake --preset "$QV_WIN_PRESET" >/dev/null
  cmake --build --preset "$QV_WIN_PRESET" -j "$jobs"
fi

echo "== Wine tests"
source scripts/wine-session.sh
start_wine_session
trap stop_wine_session EXIT
# A test that times out is run once more before it counts as failed.
ctest --test-dir "$QV_WIN_BUILD" --output-on-failure --timeout 90 --repeat after-timeout:2 -j 4
stop_wine_session
trap - EXIT

echo "== end to end"
for t in tests/e2e/*.sh; do
  [ -e "$t" ] || continue
  echo "-- $t"
  bash "$t"
done
echo "== all tests passed"
