#!/usr/bin/env bash
# Line and branch coverage of the firmware and the board: builds with
# coverage instrumentation in build-coverage/, runs the scenario library and
# the core's test suites, and writes an HTML report to
# build-coverage/coverage/index.html (gcovr from Debian).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
dir="$repo/build-coverage"
"$repo/tools/install-deps.sh" run test
cmake -S "$repo" -B "$dir" -G Ninja -DBUILD_TESTING=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$dir" -j2 --target qx40-scenario board_tests firmware_tests machine_tests scenario_tests
find "$dir" -name '*.gcda' -delete

# The week-long soak is left out: it adds time, not lines.
for suite in board_tests firmware_tests machine_tests scenario_tests; do
  QT_QPA_PLATFORM=offscreen "$dir/tests/$suite" --gtest_filter='-Soak.*' --gtest_brief=1 >/dev/null ||
    { echo "coverage: $suite failed; run $dir/tests/$suite" >&2; exit 1; }
done
"$dir/qx40-scenario" "$repo"/scenarios/*.qxs "$repo"/scenarios/en54/*.qxs >/dev/null

mkdir -p "$dir/coverage"
gcovr --root "$repo" --object-directory "$dir" --filter "$repo/firmware/" --filter "$repo/board/" \
  --html-details "$dir/coverage/index.html" --print-summary
echo "coverage: report in $dir/coverage/index.html"
