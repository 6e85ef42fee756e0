#!/usr/bin/env bash
# The program on X11 (view_bench.sh) and on Wayland (wayland_bench.sh) in
# one run, over the cases both measure, side by side: its own CPU per 25 ms
# tick and Wayland's over X11's, its peak resident memory on each and the
# difference, the frames shown per second, the display server's CPU per
# second (Xvfb; mutter, which paints the screen cast too); then where its
# memory lies on Wayland at the end of each case, and our share of the
# latency there (a picture's arrival to the tick that reads it, that read to
# the view's commit). The figures compare within
# one run only: the machine is shared and noisy.
#   bench/sessions_bench.sh [--seconds S] [--changes N] [-- COMMAND ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=8
changes=200
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --changes) changes=$2; shift 2 ;;
    *) echo "usage: $0 [--seconds S] [--changes N] [-- COMMAND ...]" >&2; exit 2 ;;
  esac
done
[ "${1:-}" = "--" ] && shift

log=$(mktemp)
trap 'rm -f "$log"' EXIT
measure() {  # measure SCRIPT [COMMAND ...]: its lines, its noise kept aside
  local script=$1
  shift
  bench/"$script" --comparable --seconds "$seconds" --changes "$changes" -- "$@" 2>>"$log" ||
    { cat "$log" >&2; exit 1; }
}
x11=$(measure view_bench.sh "$@")
wayland=$(measure wayland_bench.sh "$@")
printf '%s\n' "$x11" "$wayland" | grep '^#'

# The case's name fills the first 28 columns of a line, key=value pairs follow.
awk '
  /^#/ { next }
  {
    name = substr($0, 1, 28); sub(/ +$/, "", name)
    side = FILENAME == ARGV[1] ? "x11" : "wayland"
    if (side == "x11") order[++cases] = name
    for (i = 1; i <= NF; i++) if (split($i, kv, "=") == 2) v[side, name, kv[1]] = kv[2]
    if (side == "wayland" && match($0, /rss_mb:.* total=[0-9.]+/))
      memory[name] = substr($0, RSTART, RLENGTH)
  }
  function of(side, name, key) { return (side, name, key) in v ? v[side, name, key] : "-" }
  function ratio(a, b) { return a + 0 > 0 && b != "-" ? sprintf("%.2f", b / a) : "-" }
  function difference(a, b) { return a != "-" && b != "-" ? sprintf("%+.1f", b - a) : "-" }
  function perSecond(ms) { return ms == "-" ? "-" : sprintf("%.0f", 40 * ms) }
  END {
    format = "%-26s %8s %8s %6s %7s %7s %7s %6s %6s %8s %8s\n"
    printf format, "case", "X11", "Wayland", "ratio", "X11", "Wayland", "diff", "X11", "Wayl.",
      "Xvfb", "mutter"
    printf format, "", "ms/tick", "ms/tick", "", "peak MB", "peak MB", "MB", "fps", "fps",
      "ms/s", "ms/s"
    for (c = 1; c <= cases; c++) {
      n = order[c]
      x = of("x11", n, "own_ms_per_tick"); w = of("wayland", n, "own_ms_per_tick")
      xm = of("x11", n, "peak_rss_mb"); wm = of("wayland", n, "peak_rss_mb")
      printf format, n, x, w, ratio(x, w), xm, wm, difference(xm, wm), of("x11", n, "fps"),
        of("wayland", n, "fps"), perSecond(of("x11", n, "server_ms_per_tick")),
        perSecond(of("wayland", n, "compositor_ms_per_tick"))
    }
    print "\nOn Wayland at the end of each case, MB:"
    for (c = 1; c <= cases; c++) {
      n = order[c]
      printf "%-26s locked_mb=%s %s\n%-26s graphics_libraries=%s\n", n,
        of("wayland", n, "locked_mb"), memory[n], "", of("wayland", n, "graphics_libraries")
      printf "%-26s our share, median ms: picture to tick %s, tick to commit %s\n", "",
        of("wayland", n, "picture_to_tick_median_ms"), of("wayland", n, "tick_to_commit_median_ms")
    }
  }' <(printf '%s\n' "$x11") <(printf '%s\n' "$wayland")
