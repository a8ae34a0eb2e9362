#!/usr/bin/env bash
# Installs what building and running need, builds the program and starts it.
# Built here, the program folder is build/ (the executable's own), where
# thisyear.csv and Archive live.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target palomet
exec build/palomet
