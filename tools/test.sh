#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/tools/install-deps.sh"
cmake -S "$repo" -B "$repo/build" -G Ninja -DBUILD_TESTING=ON >/dev/null
cmake --build "$repo/build"
ctest --test-dir "$repo/build" --output-on-failure
