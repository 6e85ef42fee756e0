#!/usr/bin/env bash
# Cross-builds the Windows program (build-mingw/tevka-lupe.exe) and the unit
# tests with mingw-w64, runs the unit tests under Wine (with the check of our
# stretch kernel against gdi32's StretchBlt and the backend's own tests),
# then the end-to-end suites that a Windows user's session covers against
# the executable under Wine, on $DISPLAY or on an Xvfb with openbox of their
# own. Needs the packages scripts/setup.sh installs and the end-to-end tests
# of the Linux build (build/, made by scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

# One Wine prefix for the whole run, made before anything runs in it, without
# the .NET and HTML add-ons (which would ask to be downloaded).
export WINEPREFIX="$PWD/build-mingw/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

cmake -S . -B build-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DLUPE_BACKEND=win32 -DCMAKE_BUILD_TYPE=Release -DLUPE_WERROR=ON
env -u DISPLAY -u WAYLAND_DISPLAY wineboot -i
# The screen's density for programs in the prefix (96 dpi unless a run was
# cut short at another).
logPixels() {
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    env -u DISPLAY -u WAYLAND_DISPLAY wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  done
  wineserver -w
}
logPixels 96
env -u DISPLAY -u WAYLAND_DISPLAY cmake --build build-mingw -j "$(nproc)"
echo "tevka-lupe.exe: $(stat -c %s build-mingw/tevka-lupe.exe) bytes"

env -u DISPLAY -u WAYLAND_DISPLAY ctest --test-dir build-mingw --output-on-failure --timeout 300
# A Wine session begun without a display keeps none: let it end first.
wineserver -k || true
wineserver -w

# The Windows frame around the client area, as Wine's metrics draw it at
# 96 dpi (left, right, top, bottom): the program lays its view out by it,
# where the Linux build goes by the window manager's frame.
export LUPE_E2E_PROGRAM_FRAME=4,4,23,4
export LUPE_EXECUTABLE="$PWD/scripts/wine-lupe.sh"
suites="MagnifierWindow.*:MagnifiedView.*:LayoutOnResize.*:SettingsPanel.*:ZoomSlider.*"
suites+=":CrosshairAndMarker.*:WindowHandling.*:ViewWindowOnX11.Covered*:ViewWindowOnX11.ShowsFortyFramesASecond"
suites+=":Shutdown.ExitButton*:Shutdown.ClosingThroughTheWindowManager*"
suites+=":ViewWindow.OnlyAChangeInTheSourceIsPut:ChangingScreen.APatch*:ChangingRootWindow.Drawings*"
suites+=":ChangingScreen.TheViewOverItsOwnWindow*"
bash scripts/with-display.sh bash -c 'status=0
  build/tests/e2e/e2e_tests --gtest_filter="$0" || status=$?
  wineserver -k || true  # the display goes: Wine must not outlive it
  exit $status' "$suites"

# Twice the density: Wine takes it from the prefix (LogPixels 192), and its
# frame around the client area grows by its own metrics. The prefix goes
# back to 96 dpi whatever the outcome. (The suite's two ways of asking Qt
# for the density mean nothing to Wine: it runs twice alike.)
logPixels 192
status=0
LUPE_E2E_PROGRAM_FRAME=5,5,41,5 bash scripts/with-display.sh bash -c 'status=0
  build/tests/e2e/e2e_tests --gtest_filter="HighDensity.*" || status=$?
  wineserver -k || true
  exit $status' || status=$?
logPixels 96
exit $status
