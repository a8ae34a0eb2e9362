#!/usr/bin/env bash
# Installs what is missing, builds Palomet and starts it. The program folder is
# the executable's own (build/), where thisyear.csv and Archive live.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh >/dev/null
exec build/palomet
