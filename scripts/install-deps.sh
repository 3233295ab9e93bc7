#!/usr/bin/env bash
# Installs the Debian packages Tintwell builds, tests and runs with, if any is
# missing. Needs root (or sudo) only when something has to be installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-gtk-platformtheme
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  qt6-image-formats-plugins libjpeg62-turbo-dev libheif-dev libheif-examples
  libgtest-dev libgmock-dev libbenchmark-dev
  libexiv2-dev exiv2 libjpeg62-turbo-dev
  clang libclang-rt-14-dev libomp-14-dev
  xvfb xauth x11-utils imagemagick
  appstream desktop-file-utils man-db groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
