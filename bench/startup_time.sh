#!/usr/bin/env bash
# Start-up time of a magnifier: from its spawn until its window is mapped,
# polled every 10 ms, on a private Xvfb with openbox; prints each run's
# milliseconds and the median.
#   bench/startup_time.sh [--runs N] [-- COMMAND ...]
# Without a command it times build/tevka-lupe; for the Windows build give
# scripts/wine-lupe.sh (with WINEPREFIX set): its first run includes
# starting Wine's server and desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=5
if [ "${1:-}" = "--runs" ]; then runs=$2; shift 2; fi
[ "${1:-}" = "--" ] && shift
command=("$@")
[ ${#command[@]} -gt 0 ] || command=(build/tevka-lupe)

if [ -z "${INSIDE_DISPLAY:-}" ]; then
  INSIDE_DISPLAY=1 exec env -u DISPLAY bash scripts/with-display.sh bash "$0" --runs "$runs" -- "${command[@]}"
fi

times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "${command[@]}" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.01; done
  ms=$((($(date +%s%N) - start) / 1000000))
  times+=("$ms")
  echo "run: $ms ms"
  sleep 0.5
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
echo "median: $median ms"
