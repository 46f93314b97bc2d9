#!/usr/bin/env bash
# Installs the Debian 12 packages that one or more sets need, skipping what is
# already installed; uses sudo when not run as root.
#
#   tools/install-deps.sh [--list] [run] [test] [web]     (no set: all three)
set -euo pipefail

usage() {
  cat <<'USAGE'
usage: tools/install-deps.sh [--list] [run] [test] [web]     (no set: all three)
  run    build and start the desktop program (tools/run.sh)
  test   build and run the test suite, with clang and the package checks (tools/test.sh)
  web    build the web page and check it in a browser (tools/run-web.sh, the Web.* tests)
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

list_only=0
sets=()
for argument in "$@"; do
  case "$argument" in
    --help | -h) usage; exit 0 ;;
    --list) list_only=1 ;;
    run | test | web) sets+=("$argument") ;;
    *)
      echo "install-deps: unknown set '$argument': choose run, test or web (none for all)" >&2
      usage >&2
      exit 2
      ;;
  esac
done
[ ${#sets[@]} -gt 0 ] || sets=(run test web)

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
