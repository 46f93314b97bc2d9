#!/usr/bin/env bash
# Builds the web page and serves it on the loopback address until interrupted.
#
#   tools/run-web.sh [PORT]      (default 8040)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
port="${1:-8040}"
case "$port" in --help|-h) echo "usage: tools/run-web.sh [PORT]   builds build-web/page and serves it on 127.0.0.1:PORT (default 8040)"; exit 0 ;; esac
"$repo/tools/install-deps.sh" web
"$repo/tools/build-web.sh"
echo "The panel: http://127.0.0.1:$port/   (Ctrl+C stops the server)"
exec /usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$repo/build-web/page"
