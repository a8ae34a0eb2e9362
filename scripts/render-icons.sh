#!/usr/bin/env bash
# Renders the PNG sizes of the icon from its one drawing, data/icons/palomet.svg.
# Run it after changing the drawing and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v rsvg-convert >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends librsvg2-bin
fi
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" data/icons/palomet.svg -o "data/icons/palomet-$size.png"
done
