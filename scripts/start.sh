#!/usr/bin/env bash
# Sets the magnifier up and starts it: installs only what building and
# running it need, builds only the program (build/tevka-lupe), then starts
# it in this session (X11, or Wayland through the desktop's portal).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh program
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DLUPE_BENCHMARKS=OFF
cmake --build build -j "$(nproc)" --target tevka-lupe
exec build/tevka-lupe
