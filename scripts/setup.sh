#!/usr/bin/env bash
# Installs what the magnifier needs to build, run and be tested (Debian 12),
# then builds it into build/. Safe to run again: installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # build
  cmake g++ make ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xtest0-dev
  libxcb-damage0-dev libxcb-res0-dev libxcb-xinerama0-dev
  # Wayland sessions: Qt's Wayland platform, the portal (GIO) and PipeWire
  qt6-wayland libglib2.0-dev libpipewire-0.3-dev
  libgtest-dev libgmock-dev libbenchmark-dev googletest
  # the fuzz target (libFuzzer) and the sanitized build
  clang libclang-rt-14-dev
  # the Windows cross-build of the portable part and its unit tests under Wine
  mingw-w64 wine wine64
  # fonts the window names, or their fontconfig substitutes
  fonts-dejavu-core fonts-liberation2 fontconfig
  # the desktop entry, AppStream data and the Debian package, and their checks
  dpkg-dev file desktop-file-utils appstream lintian
  # the test display
  xvfb xserver-xephyr xauth openbox x11-utils x11-xserver-utils xdotool procps
  # the headless GNOME Wayland session of the tests, and its portal backend
  dbus-daemon mutter pipewire pipewire-bin wireplumber xdg-desktop-portal python3 python3-gi
  gir1.2-glib-2.0
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installiere: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUPE_WERROR=ON
cmake --build build -j "$(nproc)"
