#!/usr/bin/env bash
# Sets everything up and runs all tests: unit tests, the screen-source tests
# (they start their own X servers) and the end-to-end tests against the real
# program (on $DISPLAY, or on an Xvfb with openbox started for them); the
# same suites once more on a build with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer; the Debian package with its desktop entry and
# AppStream data; a short fuzzing
# run of the view's geometry and frame; the program built with the X11 or
# the Wayland session alone; then the Windows program, cross-built, with
# its unit tests and end-to-end suites under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/with-display.sh ctest --test-dir build --output-on-failure --timeout 300
bash scripts/sanitized-tests.sh
bash scripts/fuzz.sh 10
bash scripts/package-checks.sh
bash scripts/session-builds.sh
bash scripts/windows-tests.sh
