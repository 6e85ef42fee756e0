#!/usr/bin/env bash
# Cross-builds the portable part (core, desktop emulation, logic) and the unit
# tests for Windows with mingw-w64 into build-mingw/, and runs them under
# Wine, with the check of our stretch kernel against gdi32's StretchBlt.
# Needs the packages scripts/setup.sh installs. No display is used.
set -euo pipefail
cd "$(dirname "$0")/.."

# Wine runs the icon tool during the build and the tests after it, in a
# prefix of its own, made once, without the .NET and HTML add-ons (which
# would ask to be downloaded) and without a display.
export WINEPREFIX="$PWD/build-mingw/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

cmake -S . -B build-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DLUPE_BACKEND=none -DCMAKE_BUILD_TYPE=Release -DLUPE_WERROR=ON
env -u DISPLAY -u WAYLAND_DISPLAY cmake --build build-mingw -j "$(nproc)"

env -u DISPLAY -u WAYLAND_DISPLAY ctest --test-dir build-mingw --output-on-failure --timeout 300
