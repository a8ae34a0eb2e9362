#!/usr/bin/env bash
# Builds the libFuzzer targets in the sanitizer build (build-asan/, clang with
# AddressSanitizer and UBSan) and runs each for SECONDS (default 20) from the
# seed corpus, as many at once as there are cores. Fails on any crash, leak,
# hang or round-trip mismatch. Longer: scripts/fuzz.sh 3600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
targets=(fuzz_register_parser fuzz_register_roundtrip fuzz_activation_date fuzz_archive_name
         fuzz_worklog_reader)
dir=$(bash scripts/build.sh --sanitize "${targets[@]}" | tail -n 1)
corpus=$dir/corpus
findings=$dir/findings
python3 fuzz/make_corpus.py "$corpus"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

fuzz() {
  mkdir -p "$findings/$1"
  "$dir/fuzz/$1" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=0 -artifact_prefix="$findings/$1/" "$corpus/$1" >"$findings/$1.log" 2>&1
}

failed=()
for ((first = 0; first < ${#targets[@]}; first += $(nproc))); do
  batch=("${targets[@]:first:$(nproc)}")
  echo "fuzzing ${batch[*]} for ${seconds}s"
  pids=()
  for target in "${batch[@]}"; do fuzz "$target" & pids+=($!); done
  for i in "${!batch[@]}"; do
    if ! wait "${pids[$i]}"; then
      tail -n 40 "$findings/${batch[$i]}.log"
      echo "${batch[$i]} failed: see $findings/${batch[$i]}/"
      failed+=("${batch[$i]}")
    fi
  done
done
echo "$((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
