#!/usr/bin/env bash
# Installs the Debian 12 packages one of the README's commands needs:
#   scripts/install-packages.sh program   what building and running the magnifier need
#   scripts/install-packages.sh tests     that, and everything the tests need
# Only what is missing is installed (with sudo when not root).
set -euo pipefail

program=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev
  # the X11 session: xcb with MIT-SHM, RandR, Xinerama and DAMAGE
  libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xinerama0-dev libxcb-damage0-dev
  # the Wayland session: Qt's Wayland platform and its connection (Qt's
  # private headers), the portal (GIO), PipeWire and the compositor's own
  # protocol
  qt6-wayland qt6-base-private-dev libglib2.0-dev libpipewire-0.3-dev libwayland-dev
  # fonts the window names, or their fontconfig substitutes
  fonts-dejavu-core fonts-liberation2 fontconfig
)
tests=(
  make libxcb-xtest0-dev libxcb-res0-dev
  libgtest-dev libgmock-dev libbenchmark-dev googletest
  # the fuzz target (libFuzzer) and the sanitized build
  clang libclang-rt-14-dev
  # the Windows cross-build of the portable part and its unit tests under Wine
  mingw-w64 wine wine64
  # the desktop entry, AppStream data and the Debian package, and their checks
  dpkg-dev file desktop-file-utils appstream lintian
  # the test display
  xvfb xserver-xephyr xauth openbox x11-utils x11-xserver-utils xdotool procps
  # the headless GNOME Wayland session of the tests, and its portal backend
  dbus-daemon mutter pipewire pipewire-bin wireplumber xdg-desktop-portal python3 python3-gi
  gir1.2-glib-2.0
)

case "${1:-}" in
  program) wanted=("${program[@]}") ;;
  tests) wanted=("${program[@]}" "${tests[@]}") ;;
  *) echo "usage: $0 program|tests" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installiere: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
