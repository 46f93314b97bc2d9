#!/usr/bin/env bash
# Installs the Debian 12 packages that one or more sets need, skipping what is
# already installed; uses sudo when not run as root.
#
#   tools/install-deps.sh [--list] [run] [test] [web] [classroom]     (no set: all four)
set -euo pipefail

usage() {
  cat <<'USAGE'
usage: tools/install-deps.sh [--list] [run] [test] [web] [classroom]     (no set: all four)
  run       build and start the desktop program (tools/run.sh)
  test      build and run the test suite, with clang and the package checks (tools/test.sh)
  web       build the web page and check it in a browser (tools/run-web.sh, the Web.* tests)
  classroom build the page and the class server and start it (tools/run-classroom.sh)
  --list print the sets' packages instead of installing them
USAGE
}

run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libgl-dev libjpeg62-turbo-dev libx11-dev
  fonts-liberation fonts-dejavu-core
)
test_packages=(
  "${run_packages[@]}" ccache clang
  libgtest-dev libgmock-dev libbenchmark-dev libx11-dev
  libxml2-utils gcovr
  appstream desktop-file-utils groff-base lintian
  xvfb xauth xdotool x11-utils openbox
)
web_packages=(
  "${run_packages[@]}" emscripten chromium python3-websocket npm
)
# The class server: HTTP and WebSocket (Boost.Beast), SQLite, JSON; and the page it serves.
server_packages=(libboost-dev libsqlite3-dev nlohmann-json3-dev)
test_packages+=("${server_packages[@]}" python3-websocket)
classroom_packages=(
  build-essential cmake ninja-build pkg-config fonts-liberation emscripten "${server_packages[@]}"
)

list_only=0
sets=()
for argument in "$@"; do
  case "$argument" in
    --help | -h) usage; exit 0 ;;
    --list) list_only=1 ;;
    run | test | web | classroom) sets+=("$argument") ;;
    *)
      echo "install-deps: unknown set '$argument': choose run, test, web or classroom (none for all)" >&2
      usage >&2
      exit 2
      ;;
  esac
done
[ ${#sets[@]} -gt 0 ] || sets=(run test web classroom)

packages=()
for set in "${sets[@]}"; do
  declare -n set_packages="${set}_packages"
  packages+=("${set_packages[@]}")
done
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)
if [ "$list_only" -eq 1 ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

# npm also comes with other builds of Node.js than Debian's; any npm will do.
installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' ||
    { [ "$1" = npm ] && command -v npm >/dev/null; }
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root=(sudo)
elif command -v sudo >/dev/null 2>&1 && [ -t 0 ]; then
  as_root=(sudo)
else
  echo "install-deps: these packages are missing: ${missing[*]}" >&2
  echo "install-deps: run this script as root, or install them with: apt-get install ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
