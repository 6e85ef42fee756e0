#!/usr/bin/env bash
# Runs a command on a nested Xephyr with openbox: two monitors side by side,
# 800 x 600 and 640 x 480 at the top, a 1440 x 600 desktop with an area
# below the smaller one that no monitor shows. Xephyr shows its window on
# $DISPLAY (run this through scripts/with-display.sh).
#   tests/e2e/with-xephyr.sh CMD [ARGS...]
set -u
workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-xephyr.XXXXXX") || exit 1
xephyr_pid="" openbox_pid=""
cleanup() {
  for pid in $openbox_pid $xephyr_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$workdir"
}
trap cleanup EXIT

# The host's pointer over Xephyr's windows would move Xephyr's pointer too.
xdotool mousemove 10000 10000 2>/dev/null
for number in $(seq 40 99); do
  [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
  Xephyr ":$number" -screen 800x600+0+0 -screen 640x480+800+0 +xinerama -noreset \
    -nolisten tcp >"$workdir/xephyr.log" 2>&1 &
  xephyr_pid=$!
  for _ in $(seq 100); do
    xdpyinfo -display ":$number" >/dev/null 2>&1 && break
    kill -0 "$xephyr_pid" 2>/dev/null || break
    sleep 0.1
  done
  if xdpyinfo -display ":$number" >/dev/null 2>&1; then
    export DISPLAY=":$number"
    break
  fi
  xephyr_pid=""
done
[ -n "$xephyr_pid" ] || { echo "with-xephyr: Xephyr did not start" >&2; cat "$workdir/xephyr.log" >&2; exit 1; }
openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
openbox_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #' && break
  sleep 0.1
done
"$@"
