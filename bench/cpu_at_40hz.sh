#!/usr/bin/env bash
# The whole program's CPU at its 40 Hz tick: runs build/tevka-lupe on the
# current display (or a private Xvfb with openbox, via with-display.sh) for
# a few seconds with the pointer at the screen's centre and reports the CPU
# time it used per second and per tick, from /proc/<pid>/stat.
#   bench/cpu_at_40hz.sh [seconds]   (LUPE_EXECUTABLE: another build to measure)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
if [ -z "${INSIDE_DISPLAY:-}" ]; then
  INSIDE_DISPLAY=1 exec bash scripts/with-display.sh bash "$0" "$seconds"
fi

ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }

xdotool mousemove 640 512
"${LUPE_EXECUTABLE:-build/tevka-lupe}" 2>/dev/null &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
sleep 2  # start-up is not what we measure
before=$(cpu_of $pid)
sleep "$seconds"
after=$(cpu_of $pid)
used=$(( after - before ))
awk -v used="$used" -v hz="$ticks" -v s="$seconds" 'BEGIN {
  cpu = used / hz
  printf "CPU: %.3f s in %d s = %.1f %% of one core, %.2f ms per tick at 40 Hz\n",
         cpu, s, 100 * cpu / s, 1000 * cpu / (s * 40)
}'
