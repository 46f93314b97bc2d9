#!/usr/bin/env bash
# Installs what the simulator needs to build, run and test on Debian 12.
# Skips whatever is already installed; uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libgl-dev libjpeg62-turbo-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxml2-utils gcovr
  appstream desktop-file-utils groff-base
  xvfb xauth xdotool x11-utils
  openbox
  fonts-liberation fonts-dejavu-core
  emscripten chromium python3-websocket
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
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
