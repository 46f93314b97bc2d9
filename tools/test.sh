#!/usr/bin/env bash
# Builds everything and runs the whole test suite; then builds the core
# libraries and their tests once more with clang, which warns of more than GCC
# (sign conversion, missing braces), under AddressSanitizer with
# UndefinedBehaviorSanitizer, and under ThreadSanitizer, where any warning or
# sanitizer report fails.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/tools/install-deps.sh"
cmake -S "$repo" -B "$repo/build" -G Ninja -DBUILD_TESTING=ON -DQX40_WERROR=ON >/dev/null
cmake --build "$repo/build"
ctest --test-dir "$repo/build" --output-on-failure

# The core without the windows or the class server, in a folder of its own: core_build FOLDER CMAKE_OPTIONS... -- TARGETS...
core_build() {
  local dir="$repo/$1" options=()
  shift
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  cmake -S "$repo" -B "$dir" -G Ninja -DBUILD_TESTING=ON -DQX40_WITH_UI=OFF -DQX40_WITH_CLASSROOM=OFF -DQX40_WERROR=ON "${options[@]}" >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target "$@"
}
core_tests=(board_tests firmware_tests machine_tests tools_tests live_tests)

# Every core test but the week-long soak, which the normal build runs.
core_build build-clang -DCMAKE_CXX_COMPILER=clang++ -- "${core_tests[@]}"
ctest --test-dir "$repo/build-clang" --output-on-failure -j"$(nproc)" -E '^Soak\.'

core_build build-asan -DQX40_SANITIZE=address -- "${core_tests[@]}"
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$repo/build-asan" --output-on-failure -j"$(nproc)" -E '^Soak\.'

# The tests that run threads, the threaded core for 10 s of wall time.
core_build build-tsan -DQX40_SANITIZE=thread -- board_tests machine_tests live_tests
export TSAN_OPTIONS=halt_on_error=1
QX40_THREADED_SECONDS=10 "$repo/build-tsan/tests/machine_tests" --gtest_filter='ThreadedCore.*:Threads.*:Pacing/ThreadsTest.*:Pacing/MachineTest.*/RealTime:Pacing/MachineTest.*/Batched'
"$repo/build-tsan/tests/board_tests" --gtest_filter='PortConcurrency.*:ObserverConcurrency.*'
"$repo/build-tsan/tests/live_tests" --gtest_filter='ControlSocketThreads.*:ParallelScripts.*'
