#!/usr/bin/env bash
# Installs what building and running Palomet needs on Debian 12; with --test,
# also what its tests need. Safe to run again: packages already present are
# left alone.
#   scripts/install-deps.sh          build and run (scripts/run.sh)
#   scripts/install-deps.sh --test   build, run and test (scripts/test.sh)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins libgl-dev libcups2-dev qt6-charts-dev libqt6opengl6-dev
  fonts-liberation2 fontconfig qt6-translations-l10n file
)
if [ "${1:-}" = "--test" ]; then
  packages+=(
    clang libclang-rt-14-dev python3
    cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
    tesseract-ocr tesseract-ocr-rus tesseract-ocr-eng
    xvfb xdotool xclip x11-utils imagemagick
    desktop-file-utils appstream dpkg-dev file util-linux e2fsprogs
    lintian devscripts man-db groff-base
    samba smbclient smbnetfs fuse3
    dbus at-spi2-core python3-pyatspi
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
