#!/usr/bin/env bash
# Installs what is missing, builds Palomet and runs every test: the suite in
# the ordinary build, the same suite under AddressSanitizer + UBSan (leaks
# included), and each fuzzer for 20 seconds.
#   scripts/test.sh             all of it (what CI runs)
#   scripts/test.sh --sanitize  only the suite under the sanitizers
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp

suite() {
  local dir
  dir=$(bash scripts/build.sh "$@" | tail -n 1)
  ctest --test-dir "$dir" --output-on-failure -j 2
}

if [ "${1:-}" = "--sanitize" ]; then
  suite --sanitize
  exit
fi
suite
suite --sanitize
bash scripts/fuzz.sh 20
