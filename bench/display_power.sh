#!/usr/bin/env bash
# What the X11 program (on Xvfb, in a window of the screen's size, its
# default path or GL's) or the Wayland
# program (on a headless sway, whose pixman renderer composites the output)
# costs at 1920 x 1080 with 2050 particles, at 60 and 30 frames a second
# (--delay 16666, 33333) and render scales 1 and 0.5 (--scale), the four
# taking turns in each of ROUNDS rounds so that a busy machine slows them
# alike. Each run is --clock T --frames 660: 660 steps, 11 s of real time
# at 60 steps a second whatever the frame rate. Measured over 9 s from 1 s
# in: the CPU of the program (and of its main thread, which runs the
# scene's steps and the GL 1.1 layer; the rest is Mesa's llvmpipe threads,
# which draw the pixels) and of the display server (Xvfb, which puts the
# frames on the screen; sway, which composites and scales them), as shares
# of one core. At the end each run says (--verbose) how many steps it took
# and how many frames it drew; on X11 its last picture, step 660 as left in
# the window, is compared with ombrel-frames' frame 660, drawn at
# the scaled size and scaled up (ImageMagick's triangle filter, the linear
# filter) for scale 0.5: the particles are where step 660 puts them,
# whatever the frame rate and the scale. (A Wayland program's surface goes
# with it, so its last picture cannot be taken; its step count says the
# same.) Medians of the rounds are printed, with the load average at each
# round.
#
#   bench/display_power.sh x11|wayland [BUILD_TREE] [ROUNDS]     (build/native, 3)
#
# Environment: GL, the X11 program's path (--gl: auto, glx-es, egl, glx).
set -euo pipefail
cd "$(dirname "$0")/.."
host=${1:?x11 or wayland}
build=${2:-build/native}
rounds=${3:-3}
if [ "$host" = wayland ] && [ -z "${SWAY_PID:-}" ]; then exec scripts/headless-sway 1 -- "$0" "$@"; fi
clock=1700000000 steps=660 warm=1 span=9
configs=("60 1" "30 1" "60 0.5" "30 0.5")

tmp=$(mktemp -d)
xvfb= holder=
trap 'kill $holder $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT
case $host in
  x11)
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$tmp/display")
    server=$xvfb
    # A window of the screen's size that keeps what was drawn into it once
    # the program has ended (the root window does not), from a Python that
    # holds it open.
    python3 -c '
import ctypes, sys, time
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
display = x.XOpenDisplay(None)
window = x.XCreateSimpleWindow(display, x.XDefaultRootWindow(display), 0, 0, 1920, 1080, 0, 0, 0)
x.XMapWindow(display, window)
x.XSync(display, 0)
print(window, flush=True)
time.sleep(86400)' >"$tmp/window" &
    holder=$!
    for _ in $(seq 100); do [ -s "$tmp/window" ] && break; sleep 0.1; done
    window=$(cat "$tmp/window")
    program=("$build/x11/ombrel" --gl "${GL:-auto}" --window-id "$window")
    ;;
  wayland)
    swaymsg -q output HEADLESS-1 mode 1920x1080
    server=$SWAY_PID
    program=("$build/wayland/ombrel-wayland")
    ;;
  *) echo "display_power.sh: x11 or wayland, not '$host'" >&2; exit 2 ;;
esac
hz=$(getconf CLK_TCK)

# CPU ticks of process $1 so far, and of its main thread.
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
main_ticks() { sed 's/.*) //' "/proc/$1/task/$1/stat" | awk '{ print $12 + $13 }'; }
now() { date +%s.%N; }

if [ "$host" = x11 ]; then
  for size in 1920x1080 960x540; do
    "$build/tools/ombrel-frames" --particles 2050 --clock $clock --frames $steps --every $steps --size $size \
      --out "$tmp/expected-$size" >/dev/null
  done
  convert "$tmp/expected-960x540/frame-000660.png" -filter Triangle -resize '1920x1080!' "$tmp/expected-0.5.png"
  cp "$tmp/expected-1920x1080/frame-000660.png" "$tmp/expected-1.png"
fi

echo "$host at 1920 x 1080, 2050 particles; $(nproc) cores; llvmpipe threads: ${LP_NUM_THREADS:-one a core};" \
  "$rounds rounds"
for round in $(seq "$rounds"); do
  echo "round $round: load average $(cut -d' ' -f1-3 /proc/loadavg)"
  for config in "${configs[@]}"; do
    read -r rate scale <<<"$config"
    start=$(now)
    "${program[@]}" --particles 2050 --clock $clock --frames $steps --delay $((1000000 / rate)) --scale "$scale" \
      --verbose 2>"$tmp/log" &
    pid=$!
    sleep "$warm"
    p0=$(ticks $pid) m0=$(main_ticks $pid) x0=$(ticks "$server") s0=$(now)
    sleep "$span"
    p1=$(ticks $pid) m1=$(main_ticks $pid) x1=$(ticks "$server") s1=$(now)
    wait $pid || { echo "failed: ${program[*]} at $rate frames/s, scale $scale" >&2; cat "$tmp/log" >&2; exit 1; }
    end=$(now)
    read -r taken drawn < <(sed -n 's/.*steps taken: \([0-9]*\), frames drawn: \([0-9]*\)$/\1 \2/p' "$tmp/log")
    differ=-
    if [ "$host" = x11 ]; then
      import -window "$window" "$tmp/shot.png"
      # Pixels more than 2 % (5 levels) apart in some channel.
      differ=$(compare -metric AE -fuzz 2% "$tmp/shot.png" "$tmp/expected-$scale.png" null: 2>&1 || true)
    fi
    awk -v r="$rate" -v sc="$scale" -v p=$((p1 - p0)) -v m=$((m1 - m0)) -v x=$((x1 - x0)) -v s0="$s0" -v s1="$s1" -v hz="$hz" \
        -v start="$start" -v end="$end" -v t="$taken" -v d="$drawn" -v diff="$differ" 'BEGIN {
      w = (s1 - s0) * hz / 100
      printf "%s %s %.1f %.1f %.1f %.1f %.2f %s %s %.1f\n", r, sc, p / w, x / w, (p + x) / w, d / (end - start),
        end - start, t, diff, m / w
    }' >>"$tmp/runs"
    tail -n 1 "$tmp/runs" | awk '{ printf "  %s frames/s, scale %s: program %s %% (main thread %s %%), server %s %%, %s steps%s\n",
      $1, $2, $3, $10, $4, $8, $9 == "-" ? "" : ", " $9 " pixels off" }'
  done
done
echo "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end; medians of $rounds rounds:"

# The median of column $3 of the runs at frame rate $1 and scale $2.
median() {
  awk -v r="$1" -v s="$2" -v c="$3" '$1 == r && $2 == s { print $c }' "$tmp/runs" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
base=$(median 60 1 5)
printf '%-9s %-6s %10s %8s %10s %10s %12s %9s %10s %7s %12s\n' frames/s scale "program %" "main %" "server %" \
  "total %" "of 60 at 1" frames/s "660 took" steps "pixels off"
for config in "${configs[@]}"; do
  read -r rate scale <<<"$config"
  printf '%-9s %-6s %10.1f %8.1f %10.1f %10.1f %12.2f %9.1f %9.2fs %7s %12s\n' "$rate" "$scale" \
    "$(median "$rate" "$scale" 3)" "$(median "$rate" "$scale" 10)" "$(median "$rate" "$scale" 4)" "$(median "$rate" "$scale" 5)" \
    "$(awk -v a="$(median "$rate" "$scale" 5)" -v b="$base" 'BEGIN { print a / b }')" \
    "$(median "$rate" "$scale" 6)" "$(median "$rate" "$scale" 7)" "$(median "$rate" "$scale" 8)" \
    "$(median "$rate" "$scale" 9)"
done
