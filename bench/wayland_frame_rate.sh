#!/usr/bin/env bash
# The Wayland program's frame rate and CPU share on a headless sway (pixman
# composites the outputs) with one 1024 x 768 output and 2050 particles (the
# defaults otherwise): 600 frames paced at --delay 16666 (60 steps a second)
# and 600 frames unpaced at --delay 0 (a frame on every frame callback of the
# compositor). The start-up (connection, EGL, surface, the compositor's
# configure, scene initialisation) is measured with one frame on every output
# and taken off. CPU is the program's own (user + system over wall time; 100 %
# is one core), and sway's beside it.
#
#   bench/wayland_frame_rate.sh [BUILD_TREE]      (build/native by default)
set -euo pipefail
cd "$(dirname "$0")/.."
export OMBREL_SAVER=$PWD/${1:-build/native}/wayland/ombrel-wayland
exec scripts/headless-sway 1 -- bash -c '
set -euo pipefail
swaymsg -q output HEADLESS-1 mode 1024x768
frames=600
tmp=$(mktemp -d)
trap "rm -rf \"$tmp\"" EXIT

# CPU seconds sway has used so far.
sway_cpu() { awk -v hz="$(getconf CLK_TCK)" "{ print (\$14 + \$15) / hz }" "/proc/$SWAY_PID/stat"; }

# Runs ombrel-wayland with the given arguments; prints wall, user and system seconds.
run() { /usr/bin/time -f "%e %U %S" -o "$tmp/time" "$OMBREL_SAVER" --particles 2050 "$@"; cat "$tmp/time"; }

read -r start _ < <(run --frames 1 --delay 0)
echo "start-up and first frame on every output: $start s"
printf "%-12s %8s %8s %10s %16s %10s\n" delay frames "wall s" "frames/s" "CPU ombrel-wayland" "CPU sway"
for delay in 16666 0; do
  before=$(sway_cpu)
  read -r wall user system < <(run --frames "$frames" --delay "$delay")
  after=$(sway_cpu)
  awk -v d="$delay" -v f="$frames" -v w="$wall" -v u="$user" -v s="$system" -v st="$start" \
      -v xb="$before" -v xa="$after" "BEGIN {
    t = w - st
    printf \"%-12s %8d %8.2f %10.1f %17.0f%% %9.0f%%\n\", d, f, t, f / t, 100 * (u + s) / w, 100 * (xa - xb) / w
  }"
done
'
