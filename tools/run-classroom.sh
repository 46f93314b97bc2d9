#!/usr/bin/env bash
# Builds the web page and the class server, then starts the server on the
# loopback address (any qx40-classroom options follow, e.g. --listen).
#
#   tools/run-classroom.sh [--listen ADDR:PORT] [--database FILE] [--code CODE]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-}" in
  --help | -h)
    echo "usage: tools/run-classroom.sh [qx40-classroom options]   builds build-web/page and build-classroom/, then starts the class server"
    exit 0
    ;;
esac
"$repo/tools/install-deps.sh" classroom
"$repo/tools/build-web.sh"
# The server alone, without the panel's core or the desktop's toolkit.
cmake -S "$repo/classroom" -B "$repo/build-classroom" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$repo/build-classroom" --target qx40-classroom
exec "$repo/build-classroom/qx40-classroom" --page "$repo/build-web/page" "$@"
