#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vantorel
# need, skipping the ones already present. Run as root on Debian 12.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libz80ex-dev pasmo z80asm sdcc liblz4-dev
  qt6-base-dev libgl-dev libsdl2-dev
  xvfb xauth xdotool fonts-dejavu-core
  librsvg2-bin cmark-gfm
  desktop-file-utils appstream shared-mime-info groff man-db lintian
  clang libclang-rt-14-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
