#!/usr/bin/env bash
# Installs what is missing, builds Palomet and runs every test.
# With --sanitize the same tests run in an AddressSanitizer + UBSan build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=$(bash scripts/build.sh "$@" | tail -n 1)
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
ctest --test-dir "$dir" --output-on-failure -j 2
