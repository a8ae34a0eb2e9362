#!/usr/bin/env bash
# Builds the Debian package of Palomet and installs it with apt, which brings
# its dependencies along; run again, it installs the package it has just
# built, even at the same version. Run it as root, or as a user with sudo.
#   scripts/install-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target palomet palomet_docs
(cd build && cpack -G DEB >/dev/null)
deb=$(ls "$PWD"/build/palomet_*.deb | head -n 1)
"${sudo_cmd[@]}" apt-get install -y --reinstall "$deb"
echo "Palomet is installed: start it from the application menu (Office) or as palomet."
