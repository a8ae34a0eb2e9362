#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each for
# SECONDS (default 20) from the seed corpus. Fails on any crash, leak, hang or
# round-trip mismatch. Longer: scripts/fuzz.sh 3600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPALOMET_FUZZ=ON >/dev/null
targets=(fuzz_register_parser fuzz_register_roundtrip fuzz_activation_date fuzz_archive_name
         fuzz_worklog_reader)
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"
corpus=build-fuzz/corpus
python3 fuzz/make_corpus.py "$corpus"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/findings/$target"
  echo "fuzzing $target for ${seconds}s"
  if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=0 -artifact_prefix="build-fuzz/findings/$target/" \
    "$corpus/$target" >"build-fuzz/findings/$target.log" 2>&1; then
    tail -n 40 "build-fuzz/findings/$target.log"
    echo "$target failed: see build-fuzz/findings/$target/"
    exit 1
  fi
done
echo "${#targets[@]} passed, 0 failed"
