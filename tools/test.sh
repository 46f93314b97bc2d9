#!/usr/bin/env bash
# Builds everything and runs the whole test suite; then builds the core
# libraries and their tests once more under AddressSanitizer with
# UndefinedBehaviorSanitizer, and under ThreadSanitizer, where any report fails.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/tools/install-deps.sh"
cmake -S "$repo" -B "$repo/build" -G Ninja -DBUILD_TESTING=ON -DQX40_WERROR=ON >/dev/null
cmake --build "$repo/build"
ctest --test-dir "$repo/build" --output-on-failure

# The core without the windows, in its own folder per sanitizer.
sanitized_build() {  # folder sanitizer targets...
  local dir="$repo/$1" sanitizer="$2"
  shift 2
  cmake -S "$repo" -B "$dir" -G Ninja -DBUILD_TESTING=ON -DQX40_WITH_UI=OFF -DQX40_WERROR=ON -DQX40_SANITIZE="$sanitizer" >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target "$@"
}

# Every core test but the week-long soak, which the normal build runs.
sanitized_build build-asan address board_tests firmware_tests machine_tests tools_tests
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$repo/build-asan" --output-on-failure -j"$(nproc)" -E '^Soak\.'

# The tests that run threads, the threaded core for 10 s of wall time.
sanitized_build build-tsan thread board_tests machine_tests
export TSAN_OPTIONS=halt_on_error=1
QX40_THREADED_SECONDS=10 "$repo/build-tsan/tests/machine_tests" --gtest_filter='ThreadedCore.*:Threads.*:Pacing/MachineTest.*/RealTime'
"$repo/build-tsan/tests/board_tests" --gtest_filter='PortConcurrency.*:ObserverConcurrency.*'
