#!/usr/bin/env bash
# Builds the program with one kind of session alone, as a distribution
# without PipeWire (or without X11) would, and runs what covers each: the
# X11-only build's own tests and the X11 end-to-end suites against its
# program; the Wayland-only build's own tests and the portal's suite against
# its program in a headless GNOME session. Each build says that it lacks the
# other session when that is the one it finds (its own ctest). Needs build/
# (scripts/setup.sh), whose end-to-end tests drive both programs.
set -euo pipefail
cd "$(dirname "$0")/.."

configure() {  # configure DIR OPTION...
  local folder=$1
  shift
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUPE_WERROR=ON \
    -DBUILD_TESTING=ON -DLUPE_BENCHMARKS=OFF "$@" | grep "sessions:"
  cmake --build "$folder" -j "$(nproc)"
}

configure build-x11 -DLUPE_WAYLAND=OFF
bash scripts/with-display.sh ctest --test-dir build-x11 --output-on-failure --timeout 300
LUPE_EXECUTABLE="$PWD/build-x11/tevka-lupe" bash scripts/with-display.sh build/tests/e2e/e2e_tests \
  --gtest_filter='MagnifierWindow.*:MagnifiedView.*:Shutdown.*:WindowHandling.*:BadEnvironment.*'

configure build-wayland -DLUPE_X11=OFF
ctest --test-dir build-wayland --output-on-failure --timeout 300
LUPE_EXECUTABLE="$PWD/build-wayland/tevka-lupe" bash scripts/with-wayland.sh build/tests/e2e/e2e_tests \
  --gtest_filter='MagnifiedView.*:PortalSession.*'
