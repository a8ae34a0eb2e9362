#!/usr/bin/env bash
# Configures and builds Palomet into build/, or with --sanitize into
# build-asan/: clang with AddressSanitizer and UBSan, the tests and the
# libFuzzer targets in one build, its files compiled in batches (a unity
# build: it is built afresh more often than edited; the ordinary build
# compiles each file on its own). Targets after the option build only those.
#   scripts/build.sh [--sanitize [TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_UNITY_BUILD=ON
         -DPALOMET_SANITIZE=ON -DPALOMET_FUZZ=ON)
  shift
  # A sanitizer build made with another compiler is configured afresh.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++' "$dir/CMakeCache.txt"; then
    flags+=(--fresh)
  fi
fi
targets=()
[ $# -gt 0 ] && targets=(--target "$@")

cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
echo "$dir"
