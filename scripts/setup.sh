#!/usr/bin/env bash
# Installs what the magnifier needs to be built, run and tested (Debian 12),
# then builds everything into build/: the program, its tests and
# benchmarks. Safe to run again: installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh tests
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUPE_WERROR=ON \
  -DBUILD_TESTING=ON -DLUPE_BENCHMARKS=ON
cmake --build build -j "$(nproc)"
