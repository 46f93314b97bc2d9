#!/usr/bin/env bash
# Builds the web page: the core in WebAssembly with Debian's emscripten, in
# its own folder (default build-web/); the page is FOLDER/page, static files.
#
#   tools/build-web.sh [FOLDER]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-}" in --help|-h) echo "usage: tools/build-web.sh [FOLDER]   builds the web page into FOLDER/page (default build-web/)"; exit 0 ;; esac
folder="${1:-$repo/build-web}"
if ! command -v emcmake >/dev/null 2>&1; then
  echo "build-web: emcmake not found; install it with tools/install-deps.sh web" >&2
  exit 1
fi
# Debian's emscripten runs its optimizer with the acorn module Debian keeps here.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S "$repo" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQX40_WERROR=ON >/dev/null
cmake --build "$folder" -j"$(nproc)"
