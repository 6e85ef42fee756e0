#!/usr/bin/env bash
# Builds everything with AddressSanitizer (LeakSanitizer at exit) and
# UndefinedBehaviorSanitizer into build-asan/ and runs the unit, screen-source
# and end-to-end tests on it; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUPE_SANITIZE=ON \
  -DLUPE_WERROR=ON >/dev/null
cmake --build build-asan -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Not the soak: AddressSanitizer keeps freed memory in quarantine, so the
# heap grows by design; LeakSanitizer judges leaks at exit instead.
bash scripts/with-display.sh ctest --test-dir build-asan -LE soak --output-on-failure --timeout 600
