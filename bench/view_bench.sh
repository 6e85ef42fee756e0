#!/usr/bin/env bash
# Measures a magnifier from outside on a private Xvfb (1280 x 1024) with
# openbox: the default window at zoom 3 with the screen and the pointer
# still, with a 64 x 64 square under the pointer changing its colour 60
# times a second, and with the pointer moving every 25 ms; maximised with
# the pointer moving at zoom 3 and at zoom 1, and at zoom 10 with the square
# changing. --comparable measures only the cases at zoom 3, those that
# wayland_bench.sh measures too.
# For each it prints the frames shown per second (X DAMAGE), the program's
# own CPU and the X server's (per frame and per 25 ms), the program's peak
# resident memory and, with the square, the latency from a change of the
# screen under the pointer to the window showing it (see view_meter.cpp).
#   bench/view_bench.sh [--seconds S] [--changes N] [--keys KEYS] [--comparable] [-- COMMAND ...]
# Without a command it measures build/tevka-lupe, setting the zoom with its
# slider. Another magnifier's command may use {zoom} and its source area
# centred on the pointer, {sw}x{sh}+{sx}+{sy}, for example
#   bench/view_bench.sh --keys "d d d" -- xzoom -mag {zoom} -source {sw}x{sh}+{sx}+{sy}
# where KEYS are typed into the program's window once it is up (xzoom's "d"
# shortens its delay between frames: 200, 100, 50, 10 ms).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=8
changes=300
keys=""
comparable=no
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --changes) changes=$2; shift 2 ;;
    --keys) keys=$2; shift 2 ;;
    --comparable) comparable=yes; shift ;;
    *) echo "usage: $0 [--seconds S] [--changes N] [--keys KEYS] [--comparable] [-- COMMAND ...]" >&2; exit 2 ;;
  esac
done
[ "${1:-}" = "--" ] && shift
command=("$@")
[ ${#command[@]} -gt 0 ] || command=(build/tevka-lupe)

if [ -z "${INSIDE_DISPLAY:-}" ]; then
  # Always a private display: nothing else draws while we measure.
  options=(--seconds "$seconds" --changes "$changes" --keys "$keys")
  [ "$comparable" = yes ] && options+=(--comparable)
  INSIDE_DISPLAY=1 exec env -u DISPLAY bash scripts/with-display.sh bash "$0" \
    "${options[@]}" -- "${command[@]}"
fi

meter=build/bench/view_meter
[ -x "$meter" ] || { echo "build $meter first (cmake --build build)" >&2; exit 1; }
server_pid=$(tr -d ' \n' <"/tmp/.X${DISPLAY#:}-lock")
pointer_x=200 pointer_y=200

# Ours: the zoom through the slider on the settings panel, as a user sets it.
set_our_zoom() {
  local pid=$1 key=$2 window x y
  window=$(xdotool search --sync --onlyvisible --pid "$pid" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y of the client area
  x=$X y=$Y
  xdotool mousemove $((x + 100)) $((y + 12)) click 1 && sleep 0.5  # "Einstellung"
  xdotool mousemove $((x + 59)) $((y + 26)) click 1 && sleep 0.3   # the slider takes the focus
  xdotool key "$key" && sleep 0.3
  xdotool mousemove $((x + 100)) $((y + 12)) click 1 && sleep 0.3  # the panel closes again
}

run_case() {
  local name=$1 zoom=$2 width=$3 height=$4 maximise=$5 scene=$6 latency=$7
  local sw=$((width / zoom)) sh=$((height / zoom))
  local sx=$((pointer_x - sw / 2)) sy=$((pointer_y - sh / 2))
  [ $sx -ge 0 ] || sx=0
  [ $sy -ge 0 ] || sy=0
  local args=() a
  for a in "${command[@]}"; do
    a=${a//\{zoom\}/$zoom}; a=${a//\{sw\}/$sw}; a=${a//\{sh\}/$sh}
    a=${a//\{sx\}/$sx}; a=${a//\{sy\}/$sy}
    args+=("$a")
  done
  xdotool mousemove $pointer_x $pointer_y
  "${args[@]}" >/dev/null 2>&1 &
  local pid=$!
  if [ -n "$keys" ]; then
    sleep 1.5  # the new window has the focus
    # shellcheck disable=SC2086 # one word per key
    xdotool key $keys
  fi
  if [[ "${command[*]}" != *"{zoom}"* ]] && [ "$zoom" != 3 ]; then
    sleep 2
    set_our_zoom "$pid" "$([ "$zoom" = 1 ] && echo Home || echo End)"
  fi
  xdotool mousemove $pointer_x $pointer_y
  local flags=(--pid "$pid" --server-pid "$server_pid" --seconds "$seconds" --scene "$scene")
  flags+=(--changes "$([ "$latency" = yes ] && echo "$changes" || echo 0)")
  [ "$maximise" = yes ] && flags+=(--maximise)
  local result
  result=$("$meter" "${flags[@]}" | tr '\n' ' ') || result="failed"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  printf '%-28s %s\n' "$name" "$result"
}

echo "# ${command[*]} on $(xdpyinfo | awk '/dimensions/ {print $2}'), $seconds s per case"
run_case "still, window, zoom 3" 3 719 340 no still no
run_case "square, window, zoom 3" 3 719 340 no square yes
run_case "moving, window, zoom 3" 3 719 340 no moving no
run_case "moving, maximised, zoom 3" 3 1280 1024 yes moving no
[ "$comparable" = yes ] && exit
run_case "moving, maximised, zoom 1" 1 1280 1024 yes moving no
run_case "square, maximised, zoom 10" 10 1280 1024 yes square yes
