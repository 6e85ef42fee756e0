#!/usr/bin/env bash
# Builds the fuzz target with clang (AddressSanitizer, UndefinedBehaviorSanitizer,
# libFuzzer) into build-fuzz/ and runs it for a while:
#   scripts/fuzz.sh [seconds]   (default 10; the corpus grows in build-fuzz/corpus)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUPE_BACKEND=none -DLUPE_FUZZ=ON >/dev/null
cmake --build build-fuzz --target view_fuzz
mkdir -p build-fuzz/corpus
# Leaks are the sanitized test build's to find: the target keeps one window between runs.
build-fuzz/fuzz/view_fuzz -max_total_time="$seconds" -max_len=256 -len_control=0 -rss_limit_mb=1024 -detect_leaks=0 \
  -artifact_prefix=build-fuzz/ \
  -print_final_stats=1 build-fuzz/corpus 2>&1 | tail -15
