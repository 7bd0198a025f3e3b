#!/usr/bin/env bash
# The X11 program's frame rate, CPU share and pacing on a virtual display of
# 1024 x 768 with 2050 particles (the defaults otherwise): 600 frames paced at
# --delay 16666 (60 frames a second, so 10 s when it keeps up) and 600 frames
# unpaced at --delay 0. The start-up (window, context, scene initialisation)
# is measured with one frame and taken off. CPU is the program's own (user +
# system over wall time; 100 % is one core), and the X server's beside it.
#
#   bench/x11_frame_rate.sh [BUILD_TREE]      (build/native by default)
set -euo pipefail
cd "$(dirname "$0")/.."
ombrel=${1:-build/native}/x11/ombrel
frames=600

tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$tmp/display")

# CPU seconds the X server has used so far.
server_cpu() { awk -v hz="$(getconf CLK_TCK)" '{ print ($14 + $15) / hz }' "/proc/$xvfb/stat"; }

# Runs ombrel with the given arguments; prints wall, user and system seconds.
run() { /usr/bin/time -f "%e %U %S" -o "$tmp/time" "$ombrel" --particles 2050 "$@"; cat "$tmp/time"; }

read -r start _ < <(run --frames 1 --delay 0)
echo "start-up and first frame: $start s"
printf '%-12s %8s %8s %10s %12s %s\n' delay frames "wall s" "frames/s" "CPU ombrel" "CPU X server"
for delay in 16666 0; do
  before=$(server_cpu)
  read -r wall user system < <(run --frames "$frames" --delay "$delay")
  after=$(server_cpu)
  awk -v d="$delay" -v f="$frames" -v w="$wall" -v u="$user" -v s="$system" -v st="$start" \
      -v xb="$before" -v xa="$after" 'BEGIN {
    t = w - st
    printf "%-12s %8d %8.2f %10.1f %11.0f%% %11.0f%%\n", d, f, t, f / t, 100 * (u + s) / w, 100 * (xa - xb) / w
    if (d > 0) {
      expected = t * 1e6 / d
      printf "pacing: %d frames in %.2f s, %.1f expected at %d us a frame (%+.2f%%)\n", f, t, expected, d, 100 * (f - expected) / expected
    }
  }'
done
