#!/usr/bin/env bash
# Installs what the desktop program needs, builds it in its own folder
# (build-run/, so the test suite's build/ keeps its configuration) and starts
# it in the current directory (Hardware.dat lives there), passing the
# arguments on: tools/run.sh --exercise scenarios/exercises/fire-one-zone.qxs
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-}" in
  --help | -h)
    echo "usage: tools/run.sh [QX40 OPTION...]   builds qx40 in build-run/ and starts it here (see build-run/qx40 --help)"
    exit 0
    ;;
esac
folder="$repo/build-run"
"$repo/tools/install-deps.sh" run
cmake -S "$repo" -B "$folder" -G Ninja -DBUILD_TESTING=OFF -DQX40_WITH_CLASSROOM=OFF >/dev/null
cmake --build "$folder" --target qx40
exec "$folder/qx40" "$@"
