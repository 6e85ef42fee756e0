#!/usr/bin/env bash
# Runs a command with an X display:
#   scripts/with-display.sh CMD [ARGS...]
# If $DISPLAY is set and its server answers, CMD runs there. Otherwise a
# private Xvfb (1280x1024x24, -noreset so that clients may come and go without
# the root being wiped) with openbox on it is started for CMD and stopped
# afterwards, also when CMD fails or this script is interrupted. The exit
# status is CMD's. XDG_RUNTIME_DIR is pointed at a private directory when it
# is unset, since Qt complains on stderr without one. LUPE_XVFB_ARGS adds
# arguments to the private Xvfb (for example "-extension MIT-SHM").
set -u

if [ $# -eq 0 ]; then
  echo "usage: $0 CMD [ARGS...]" >&2
  exit 2
fi

answers() { xdpyinfo -display "$1" >/dev/null 2>&1; }

workdir=""
xvfb_pid=""
openbox_pid=""
cmd_pid=""

stop() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

cleanup() {
  stop "$openbox_pid"
  openbox_pid=""
  stop "$xvfb_pid"
  xvfb_pid=""
  if [ -n "$workdir" ]; then
    rm -rf "$workdir"
    workdir=""
  fi
}

on_signal() {
  local number=$1
  [ -n "$cmd_pid" ] && stop "$cmd_pid"
  cleanup
  exit $((128 + number))
}

trap cleanup EXIT
trap 'on_signal 1' HUP
trap 'on_signal 2' INT
trap 'on_signal 15' TERM

workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-display.XXXXXX") || exit 1
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  mkdir -m 0700 "$workdir/runtime"
  export XDG_RUNTIME_DIR="$workdir/runtime"
fi

# The lock file names the server that owns a display number; checking it
# tells our own server from one that another run started on the same number
# a moment earlier.
owns_display() {
  local number=$1 pid=$2 owner
  owner=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$number-lock") || return 1
  [ "$owner" = "$pid" ]
}

start_xvfb() {
  local number pid
  for number in $(seq 20 99); do
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    # shellcheck disable=SC2086 # the extra arguments are words of their own
    Xvfb ":$number" -screen 0 1280x1024x24 -noreset -nolisten tcp ${LUPE_XVFB_ARGS:-} \
      >"$workdir/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null
        pid=""
        break  # lost the race for this number: try the next
      fi
      if owns_display "$number" "$pid" && answers ":$number"; then
        xvfb_pid=$pid
        export DISPLAY=":$number"
        return 0
      fi
      sleep 0.1
    done
    if [ -n "$pid" ]; then
      stop "$pid"
      echo "with-display: Xvfb :$number did not answer; its log:" >&2
      cat "$workdir/xvfb.log" >&2
      return 1
    fi
  done
  echo "with-display: no free display number for Xvfb" >&2
  return 1
}

wm_ready() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #'
}

start_openbox() {
  openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
  openbox_pid=$!
  for _ in $(seq 100); do
    wm_ready && return 0
    if ! kill -0 "$openbox_pid" 2>/dev/null; then
      break
    fi
    sleep 0.1
  done
  echo "with-display: openbox did not come up; its log:" >&2
  cat "$workdir/openbox.log" >&2
  return 1
}

if [ -z "${DISPLAY:-}" ] || ! answers "$DISPLAY"; then
  unset WAYLAND_DISPLAY
  start_xvfb || exit 1
  start_openbox || exit 1
fi

# CMD runs in the background so that a signal to this script is handled at
# once; the explicit redirection keeps CMD's standard input.
"$@" <&0 &
cmd_pid=$!
wait "$cmd_pid"
status=$?
cmd_pid=""
exit "$status"
