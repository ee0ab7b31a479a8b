#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and play.sh need, when any
# is missing. Safe to run again: it does nothing once everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libglfw3-dev libglew-dev liblua5.1-0-dev zlib1g-dev libglu1-mesa-dev libx11-dev
  libopenal-dev libsndfile1-dev
  libgtest-dev libbenchmark-dev libpng-dev
  xvfb xauth x11-utils imagemagick libgl1-mesa-dri
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
