#!/usr/bin/env bash
# The X11 program on its two OpenGLs, EGL (the GL 1.1 layer on OpenGL ES 3)
# and GLX (Mesa's OpenGL 1.1), on one virtual display of 1024 x 768 with 2050
# particles (the defaults otherwise), both on llvmpipe. In each of ROUNDS
# rounds the two take turns, so that a busy machine slows both alike:
#
# - paced: 600 frames at --delay 16666 (60 frames a second, 10 s when it
#   keeps up): CPU of the program and of the X server, as a share of one
#   core, and how far the pacing was off;
# - unpaced: 600 frames at --delay 0: frames a second.
#
# Each run's start-up (window, context, scene initialisation: one frame
# measured alone) is taken off its wall and CPU time. The medians are
# printed with EGL's figures as a share of GLX's, beside the machine's
# load and llvmpipe's rasteriser threads (LP_NUM_THREADS, one a core when
# unset; it passes through to the program).
#
#   bench/x11_frame_rate.sh [BUILD_TREE] [ROUNDS]      (build/native, 3)
set -euo pipefail
cd "$(dirname "$0")/.."
ombrel=${1:-build/native}/x11/ombrel
rounds=${2:-3}
frames=600

tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$tmp/display")

# CPU seconds the X server has used so far.
server_cpu() { awk -v hz="$(getconf CLK_TCK)" '{ print ($14 + $15) / hz }' "/proc/$xvfb/stat"; }

# Runs ombrel with the given arguments; prints wall and CPU seconds of the
# program and CPU seconds of the X server meanwhile.
run() {
  local before after
  before=$(server_cpu)
  /usr/bin/time -f "%e %U %S" -o "$tmp/time" "$ombrel" --particles 2050 "$@"
  after=$(server_cpu)
  awk -v xb="$before" -v xa="$after" '{ print $1, $2 + $3, xa - xb }' "$tmp/time"
}

echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start;" \
  "llvmpipe threads: ${LP_NUM_THREADS:-one a core}"
for round in $(seq "$rounds"); do
  for gl in egl glx; do
    read -r start_wall start_cpu start_server < <(run --gl "$gl" --frames 1 --delay 0)
    for delay in 16666 0; do
      read -r wall cpu server < <(run --gl "$gl" --frames "$frames" --delay "$delay")
      awk -v g="$gl" -v d="$delay" -v f="$frames" -v w="$wall" -v c="$cpu" -v x="$server" \
          -v sw="$start_wall" -v sc="$start_cpu" -v sx="$start_server" 'BEGIN {
        t = w - sw
        printf "%s %d %.3f %.1f %.1f %.2f\n", g, d, t, f / t, 100 * (c - sc) / t, 100 * (x - sx) / t
      }' >>"$tmp/runs"
    done
  done
done
echo "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end; medians of $rounds rounds:"

# The median of column `column` of the runs of `gl` at `delay`.
median() {
  awk -v g="$1" -v d="$2" -v c="$3" '$1 == g && $2 == d { print $c }' "$tmp/runs" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
printf '%-6s %14s %14s %16s %16s\n' "" "paced CPU" "paced CPU" "paced frames" "unpaced"
printf '%-6s %14s %14s %16s %16s\n' OpenGL "ombrel" "X server" "in 10 s" "frames/s"
for gl in egl glx; do
  printf '%-6s %13.1f%% %13.1f%% %16.1f %16.1f\n' "$gl" "$(median "$gl" 16666 5)" "$(median "$gl" 16666 6)" \
    "$(awk -v f="$frames" -v t="$(median "$gl" 16666 3)" 'BEGIN { print f * 10 / t }')" "$(median "$gl" 0 4)"
done
awk -v ec="$(median egl 16666 5)" -v gc="$(median glx 16666 5)" -v ef="$(median egl 0 4)" \
    -v gf="$(median glx 0 4)" 'BEGIN {
  printf "EGL against GLX: %.2f of the CPU at 60 frames a second, %.2f times the frames unpaced\n", ec / gc, ef / gf
}'
