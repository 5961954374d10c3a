#!/usr/bin/env bash
# Installs every system package Quillory needs to build, run and test on Debian.
# Quick when everything is already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git ccache
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libtiff-dev zlib1g-dev
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins libgl-dev
  qt6-translations-l10n
  libsane-dev sane-utils libsane1
  libxcb1-dev
  libxlsxwriter-dev
  fonts-nanum
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-droid-fallback
  xvfb xauth x11-utils openbox xdotool
  libpng-dev
  libwebp-dev
  python3 python3-pil python3-numpy imagemagick
  python3-openpyxl
  librsvg2-bin desktop-file-utils appstream-util shared-mime-info xdg-utils libfile-mimeinfo-perl
  breeze-icon-theme adwaita-icon-theme
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
