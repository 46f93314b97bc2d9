#!/usr/bin/env bash
# Builds the simulator and starts it in the current directory (Hardware.dat lives there).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/tools/install-deps.sh"
cmake -S "$repo" -B "$repo/build" -G Ninja -DBUILD_TESTING=OFF >/dev/null
cmake --build "$repo/build" --target qx40
exec "$repo/build/qx40"
