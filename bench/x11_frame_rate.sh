#!/usr/bin/env bash
# The X11 program on each of its paths (--gl glx-es, egl, glx: OpenGL ES 3
# through GLX, OpenGL ES 3 on an EGL window surface, Mesa's OpenGL 1.1
# through GLX), drawing into the root window of a virtual display of each
# size with 2050 particles (the defaults otherwise). In each of ROUNDS
# rounds the paths take turns at each size, so that a busy machine slows
# them alike:
#
# - start-up: one frame (window, context, scene initialisation), whose
#   wall time is taken off the runs below;
# - paced: 720 frames at --delay 16666 (60 frames a second, 12 s when it
#   keeps up): frames a second, and the CPU of the program (its main thread,
#   llvmpipe's rasteriser threads, the rest) and of the X server over 8 s of
#   it, from 2 s in, as a share of one core;
# - unpaced: 480 frames at --delay 0: frames a second.
#
# The medians are printed, with the program's CPU time a paced frame, and
# each path's CPU a frame and unpaced frames as a share of the GLX path's
# (glx): where both keep 60 frames a second, the share of CPU a frame is the
# share of CPU at 60 frames a second; where one cannot, it stays fair. The
# machine's load average is printed at each round, and llvmpipe's threads
# (LP_NUM_THREADS, one a core when unset; it passes through to the program).
#
#   bench/x11_frame_rate.sh [BUILD_TREE] [ROUNDS] [LABEL=COMMAND]...   (build/native, 3)
#
# Each LABEL=COMMAND is measured beside the paths: another build of the
# program with its options, e.g. 'before=/tmp/old/x11/ombrel --gl egl'.
# Environment: GLS, the paths (glx-es egl glx); SIZES (1024x768 1920x1080);
# XVFB_ARGS, more options for the virtual displays (e.g. -extension GLX).
set -euo pipefail
cd "$(dirname "$0")/.."
ombrel=${1:-build/native}/x11/ombrel
rounds=${2:-3}
shift $(($# < 2 ? $# : 2))
read -r -a gls <<<"${GLS:-glx-es egl glx}"
read -r -a sizes <<<"${SIZES:-1024x768 1920x1080}"
read -r -a xvfb_args <<<"${XVFB_ARGS:-}"
paced_frames=720 unpaced_frames=480 warm=2 window=8

# What is measured: a label and its command line, the paths first.
labels=() commands=()
for gl in "${gls[@]}"; do labels+=("$gl") commands+=("$ombrel --gl $gl"); done
for extra in "$@"; do labels+=("${extra%%=*}") commands+=("${extra#*=}"); done

tmp=$(mktemp -d)
servers=()
trap 'kill "${servers[@]}" 2>/dev/null; rm -rf "$tmp"' EXIT
declare -A display server
for size in "${sizes[@]}"; do
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp "${xvfb_args[@]}" 3>"$tmp/display" 2>/dev/null &
  server[$size]=$!
  servers+=($!)
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
  display[$size]=:$(cat "$tmp/display")
  : >"$tmp/display"
done
hz=$(getconf CLK_TCK)

# CPU ticks of process $1 so far.
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

# CPU ticks of process $1's main thread and of its llvmpipe threads so far.
thread_ticks() {
  local main=0 lp=0 task t
  for task in /proc/"$1"/task/*; do
    t=$(sed 's/.*) //' "$task/stat" 2>/dev/null | awk '{ print $12 + $13 }') || continue
    [ -n "$t" ] || continue
    if [ "${task##*/}" = "$1" ]; then main=$((main + t))
    elif [[ $(cat "$task/comm" 2>/dev/null) == llvmpipe* ]]; then lp=$((lp + t)); fi
  done
  echo "$main $lp"
}

# Runs `command` (a string, split into words) on the display of `size` with
# `args` until it ends; prints its wall seconds.
wall() {
  local size=$1 command=$2
  shift 2
  local start end
  start=$(date +%s.%N)
  # shellcheck disable=SC2086
  DISPLAY=${display[$size]} $command --root --particles 2050 "$@" || { echo "failed: $command $*" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

# The paced run: prints its wall seconds, then the CPU shares of the
# program (all, main thread, llvmpipe) and the X server over the window.
paced() {
  local size=$1 command=$2 start pid
  start=$(date +%s.%N)
  # shellcheck disable=SC2086
  DISPLAY=${display[$size]} $command --root --particles 2050 --frames $paced_frames &
  pid=$!
  sleep "$warm"
  local p0 t0 x0 s0 p1 t1 x1 s1
  p0=$(ticks $pid) t0=$(thread_ticks $pid) x0=$(ticks "${server[$size]}") s0=$(date +%s.%N)
  sleep "$window"
  p1=$(ticks $pid) t1=$(thread_ticks $pid) x1=$(ticks "${server[$size]}") s1=$(date +%s.%N)
  wait $pid || { echo "failed: $command" >&2; exit 1; }
  awk -v start="$start" -v end="$(date +%s.%N)" -v s0="$s0" -v s1="$s1" -v hz="$hz" \
      -v p="$((p1 - p0))" -v x="$((x1 - x0))" -v t0="$t0" -v t1="$t1" 'BEGIN {
    split(t0, a); split(t1, b); d = (s1 - s0) * hz / 100
    printf "%.3f %.1f %.1f %.1f %.1f\n", end - start, p / d, (b[1] - a[1]) / d, (b[2] - a[2]) / d, x / d
  }'
}

echo "$(nproc) cores; llvmpipe threads: ${LP_NUM_THREADS:-one a core}; $rounds rounds of" \
  "${labels[*]} at ${sizes[*]}"
for round in $(seq "$rounds"); do
  echo "round $round: load average $(cut -d' ' -f1-3 /proc/loadavg)"
  for size in "${sizes[@]}"; do
    for i in "${!labels[@]}"; do
      start=$(wall "$size" "${commands[$i]}" --frames 1 --delay 0)
      read -r paced_wall cpu main lp server_cpu < <(paced "$size" "${commands[$i]}")
      unpaced_wall=$(wall "$size" "${commands[$i]}" --frames $unpaced_frames --delay 0)
      awk -v l="${labels[$i]}" -v z="$size" -v s="$start" -v pw="$paced_wall" -v uw="$unpaced_wall" \
          -v pf=$paced_frames -v uf=$unpaced_frames -v c="$cpu" -v m="$main" -v lp="$lp" -v x="$server_cpu" \
          'BEGIN { f = pf / (pw - s); printf "%s %s %.1f %.1f %.1f %.1f %.1f %.1f %.3f\n", l, z, f, c, m, lp, x,
                   uf / (uw - s), 10 * c / f }' \
          >>"$tmp/runs"
    done
  done
done
echo "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end; medians of $rounds rounds:"

# The median of column `column` of the runs of `label` at `size`.
median() {
  awk -v l="$1" -v z="$2" -v c="$3" '$1 == l && $2 == z { print $c }' "$tmp/runs" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
printf '%-10s %-10s %8s %7s %9s %9s %9s %9s %9s %10s %9s\n' "" "" "paced" "CPU" "CPU" "main" "llvmpipe" \
  "X server" "unpaced" "CPU/frame" "unpaced"
printf '%-10s %-10s %8s %7s %9s %9s %9s %9s %9s %10s %9s\n' path size "frames/s" "%" "ms/frame" "%" "%" "%" \
  "frames/s" "of glx's" "x glx's"
for size in "${sizes[@]}"; do
  for label in "${labels[@]}"; do
    glx_fps=$(median glx "$size" 8) glx_ms=$(median glx "$size" 9)
    printf '%-10s %-10s %8.1f %7.1f %9.2f %9.1f %9.1f %9.1f %9.1f' "$label" "$size" "$(median "$label" "$size" 3)" \
      "$(median "$label" "$size" 4)" "$(median "$label" "$size" 9)" "$(median "$label" "$size" 5)" \
      "$(median "$label" "$size" 6)" "$(median "$label" "$size" 7)" "$(median "$label" "$size" 8)"
    if [ -n "$glx_ms" ] && [ "$glx_ms" != 0 ]; then
      awk -v m="$(median "$label" "$size" 9)" -v gm="$glx_ms" -v f="$(median "$label" "$size" 8)" -v gf="$glx_fps" \
        'BEGIN { printf " %10.2f %9.2f\n", m / gm, f / gf }'
    else
      echo
    fi
  done
done
