#!/usr/bin/env bash
# Installs whatever the build, the tests and the game need and is missing.
# Quick when everything is there: it asks dpkg first and runs apt-get only
# for the packages that are absent.
set -euo pipefail

PACKAGES=(
  build-essential g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev libvorbis-dev libfluidsynth-dev
  libpng-dev zlib1g-dev libx11-dev
  fonts-ipafont-gothic fonts-ipafont-mincho timgm6mb-soundfont
  xvfb xauth xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
