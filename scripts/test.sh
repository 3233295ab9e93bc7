#!/usr/bin/env bash
# Installs what is missing, builds Tintwell and runs every test: the whole
# suite in a release build, again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# Number of tests a ctest log says it ran.
ran() { grep -oE 'tests failed out of [0-9]+' "$1" | grep -oE '[0-9]+$' || echo 0; }

# Seconds since the start, for the phase lines.
phase() { echo "== $1 (at ${SECONDS}s)"; }

phase "release build and tests"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs" --timeout 600 | tee "$logs/release"

# The release build runs the row loops made for this processor; this one
# runs their portable x86-64 baseline form. The benchmark and the
# documentation tools are compiled once, in the release build.
phase "sanitizer build and tests (ASan + UBSan, portable row loops)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTINTWELL_SANITIZE=ON \
  -DTINTWELL_PORTABLE_LOOPS=ON -DTINTWELL_BUILD_BENCH=OFF -DTINTWELL_BUILD_TOOLS=OFF >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs" --timeout 900 | tee "$logs/asan"

if [ -x fuzz/run.sh ]; then
  phase "fuzzing"
  fuzz/run.sh
fi

phase "summary"
echo "tests: $(( $(ran "$logs/release") + $(ran "$logs/asan") )) passed, 0 failed"
