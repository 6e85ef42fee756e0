#!/usr/bin/env bash
# The soak test for half an hour (or the given seconds) instead of a minute:
#   bench/soak.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
LUPE_SOAK_SECONDS=${1:-1800} exec env -u DISPLAY bash scripts/with-display.sh \
  build/tests/e2e/e2e_tests --gtest_filter='Soak.*'
