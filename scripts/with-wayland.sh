#!/usr/bin/env bash
# Runs a command in a headless GNOME Wayland session:
#   scripts/with-wayland.sh CMD [ARGS...]
# A private session bus, PipeWire with WirePlumber, mutter as a headless
# Wayland compositor (no X11, software rendering; one virtual monitor of
# 1280x1024, or those named in LUPE_WAYLAND_MONITORS, e.g. "1280x1024 800x600",
# each at the integer scale LUPE_WAYLAND_SCALE, 1 unless set) and
# xdg-desktop-portal with the tests' own ScreenCast backend, which
# approves without a dialog what GNOME's backend would grant. CMD sees WAYLAND_DISPLAY and no DISPLAY, a
# private XDG_RUNTIME_DIR and XDG_CONFIG_HOME, LUPE_WAYLAND_LOGS, the folder
# of the stack's logs, and LUPE_WAYLAND_COMPOSITOR, mutter's process id.
# Everything is stopped afterwards, also when CMD fails or this script is
# interrupted; the exit status is CMD's.
set -u

if [ $# -eq 0 ]; then
  echo "usage: $0 CMD [ARGS...]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${LUPE_WAYLAND_INSIDE:-}" ]; then
  export LUPE_WAYLAND_INSIDE=1
  exec dbus-run-session -- bash "$here/with-wayland.sh" "$@"
fi
unset LUPE_WAYLAND_INSIDE DISPLAY WAYLAND_DISPLAY

workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-wayland.XXXXXX") || exit 1
mkdir -m 0700 "$workdir/runtime" "$workdir/config"
export XDG_RUNTIME_DIR="$workdir/runtime" XDG_CONFIG_HOME="$workdir/config"
export LUPE_WAYLAND_LOGS="$workdir"
pids=()
cmd_pid=""

cleanup() {
  local pid
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  pids=()
  rm -rf "$workdir"
}
on_signal() {
  [ -n "$cmd_pid" ] && kill -TERM "$cmd_pid" 2>/dev/null
  cleanup
  exit $((128 + $1))
}
trap cleanup EXIT
trap 'on_signal 1' HUP
trap 'on_signal 2' INT
trap 'on_signal 15' TERM

fail() {
  echo "with-wayland: $1; its log:" >&2
  cat "$workdir/$2.log" >&2
  exit 1
}
# Waits until NAME is owned on the session bus.
wait_for_name() {
  for _ in $(seq 150); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true && return 0
    sleep 0.1
  done
  return 1
}
start() {  # start LOG CMD...: runs CMD in the background, logging to LOG.log
  local log=$1
  shift
  "$@" >"$workdir/$log.log" 2>&1 &
  pids+=($!)
}

start pipewire pipewire
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/pipewire-0" ] || fail "pipewire did not come up" pipewire
start wireplumber wireplumber

monitors=()
for size in ${LUPE_WAYLAND_MONITORS:-1280x1024}; do monitors+=(--virtual-monitor "$size"); done
# Windows appear at once: the opening animation would show a growing window
# for several of the compositor's slow software-rendered frames.
start mutter env MUTTER_DEBUG_DISABLE_ANIMATIONS=1 ${LUPE_MUTTER_ENV:-} mutter --headless --wayland --no-x11 --wayland-display wayland-lupe "${monitors[@]}"
wait_for_name org.gnome.Mutter.RemoteDesktop || fail "mutter did not come up" mutter
[ -S "$XDG_RUNTIME_DIR/wayland-lupe" ] || fail "mutter has no Wayland socket" mutter
export WAYLAND_DISPLAY=wayland-lupe LUPE_WAYLAND_COMPOSITOR=${pids[-1]}
if [ "${LUPE_WAYLAND_SCALE:-1}" != 1 ]; then
  # As the desktop's settings would: every monitor where it is, scaled.
  /usr/bin/python3 - "$LUPE_WAYLAND_SCALE" <<'SCALE' || fail "mutter did not take the scale" mutter
import sys
from gi.repository import Gio, GLib
config = Gio.DBusProxy.new_for_bus_sync(
    Gio.BusType.SESSION, 0, None, "org.gnome.Mutter.DisplayConfig",
    "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig", None)
serial, monitors, logical, _ = config.call_sync("GetCurrentState", None, 0, -1, None).unpack()
modes = {m[0][0]: next(mode[0] for mode in m[1] if mode[6].get("is-current")) for m in monitors}
placed = [(x, y, float(sys.argv[1]), transform, primary,
           [(connector[0], modes[connector[0]], {}) for connector in connectors])
          for x, y, _, transform, primary, connectors, _ in logical]
config.call_sync("ApplyMonitorsConfig", GLib.Variant(
    "(uua(iiduba(ssa{sv}))a{sv})", (serial, 1, placed, {})), 0, -1, None)
SCALE
fi

export XDG_CURRENT_DESKTOP=lupetest
start portal-backend /usr/bin/python3 "$here/../tests/wayland/test_portal.py"
wait_for_name org.tevka.LupeTest || fail "the tests' portal backend did not come up" portal-backend
XDG_DESKTOP_PORTAL_DIR="$here/../tests/wayland" start portal /usr/libexec/xdg-desktop-portal -r
wait_for_name org.freedesktop.portal.Desktop || fail "xdg-desktop-portal did not come up" portal

"$@" <&0 &
cmd_pid=$!
wait "$cmd_pid"
status=$?
cmd_pid=""
exit "$status"
