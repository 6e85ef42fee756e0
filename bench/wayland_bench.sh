#!/usr/bin/env bash
# Measures a magnifier in a headless GNOME Wayland session (scripts/with-wayland.sh,
# one monitor of 1280 x 1024) through the compositor's own screen cast: the
# default window at zoom 3 with everything still, with a 64 x 64 square under
# the pointer changing its colour 60 times a second (and then the latency of
# single changes), and with the pointer moving every 25 ms; then maximised,
# still and with the pointer moving. See wayland_meter.cpp for what each
# figure is. --comparable leaves out the maximised window kept still, which
# view_bench.sh does not measure.
#   bench/wayland_bench.sh [--seconds S] [--changes N] [--comparable] [-- COMMAND ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=8
changes=200
cases=("still no" "square no" "moving no" "still yes" "moving yes")
comparable=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --changes) changes=$2; shift 2 ;;
    --comparable) comparable=(--comparable); cases=("still no" "square no" "moving no" "moving yes"); shift ;;
    *) echo "usage: $0 [--seconds S] [--changes N] [--comparable] [-- COMMAND ...]" >&2; exit 2 ;;
  esac
done
[ "${1:-}" = "--" ] && shift
command=("$@")
[ ${#command[@]} -gt 0 ] || command=("$PWD/build/tevka-lupe")

if [ -z "${INSIDE_WAYLAND:-}" ]; then
  INSIDE_WAYLAND=1 exec bash scripts/with-wayland.sh bash "$0" \
    --seconds "$seconds" --changes "$changes" "${comparable[@]}" -- "${command[@]}"
fi
meter=build/bench/wayland_meter
[ -x "$meter" ] || { echo "build $meter first (cmake --build build)" >&2; exit 1; }
compositor=$LUPE_WAYLAND_COMPOSITOR  # ours, not another session's mutter on this machine

echo "# ${command[*]} on GNOME's mutter $(mutter --version | awk '{print $2; exit}'), headless, $seconds s per case"
for run in "${cases[@]}"; do
  read -r scene maximise <<<"$run"
  n=0
  [ "$scene" = square ] && n=$changes
  result=$("$meter" --compositor-pid "$compositor" --seconds "$seconds" --changes "$n" \
    --scene "$scene" --maximise "$maximise" -- "${command[@]}" | tr '\n' ' ') || result=failed
  printf '%-28s %s\n' "$scene, $([ "$maximise" = yes ] && echo maximised || echo window), zoom 3" \
    "$result"
done
