#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for a
# bounded time from a scratch copy of its seed corpus. Exits non-zero when a
# fuzzer finds a crash, naming the reproducer.
#   FUZZ_SECONDS  seconds per target (default 60)
#   FUZZ_TARGETS  targets to run (default "fuzz_image")
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-fuzz_image}
build=build/fuzz
work=fuzz/corpus-work

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTINTWELL_BUILD_FUZZ=ON -DTINTWELL_BUILD_TESTS=OFF -DTINTWELL_BUILD_BENCH=OFF >/dev/null || exit 1
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets || exit 1

export QT_QPA_PLATFORM=offscreen
# The engine's pass runs on OpenMP threads: let idle ones sleep instead of
# spinning, so fuzzing keeps one core busy, not all.
export OMP_WAIT_POLICY=${OMP_WAIT_POLICY:-passive}
export KMP_BLOCKTIME=${KMP_BLOCKTIME:-0}
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=0:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for target in $targets; do
  corpus=$work/$target
  artifacts=$work/$target-artifacts
  rm -rf "$corpus" "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  if compgen -G "fuzz/regressions/$target/*" >/dev/null; then
    cp fuzz/regressions/"$target"/* "$corpus"/
  fi

  # One process per target (no -jobs/-workers), so one core stays free.
  extra=(-max_len=4096)
  if [ -f "fuzz/$target.dict" ]; then
    extra=(-max_len=32768 -dict="fuzz/$target.dict")
  fi
  echo "== fuzzing $target for ${seconds}s"
  log=$work/$target.log
  # The timeout keeps a stuck fuzzer from holding the run past its budget.
  timeout --kill-after=30 $((seconds + 120)) \
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "${extra[@]}" "$corpus" >"$log" 2>&1
  rc=$?
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb|Done )' "$log" || tail -n 3 "$log"
  found=$(find "$artifacts" -type f | head -n 20)
  if [ "$rc" -ne 0 ] || [ -n "$found" ]; then
    status=1
    echo "fuzz: $target FAILED (exit $rc); log: $log" >&2
    grep -E 'ERROR|SUMMARY|fuzz_image:' "$log" | head -n 20 >&2
    for f in $found; do
      echo "fuzz: reproducer: $f (replay: $build/fuzz/$target $f; keep it as fuzz/regressions/$target/<name>)" >&2
    done
  fi
done
exit $status
