#!/usr/bin/env bash
# Sets everything up and runs all tests: unit tests, the screen-source tests
# (they start their own X servers) and the end-to-end tests against the real
# program (on $DISPLAY, or on an Xvfb with openbox started for them).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/with-display.sh ctest --test-dir build --output-on-failure --timeout 300
