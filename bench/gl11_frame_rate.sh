#!/usr/bin/env bash
# Whole frames with 2050 particles at 1024 x 768, cube and sphere, through
# Mesa's OpenGL 1.1 immediate mode (render_bench) and through the GL 1.1
# layer on Mesa's OpenGL ES 3 (render_bench_gl11), both on llvmpipe, in one
# run: the two programs take turns ROUNDS times, so that a busy machine slows
# both alike, and the median of each figure is printed with the layer's gain
# (how many times faster it is).
#
# - frames/s: wall-clock frame rate, llvmpipe with its rasteriser threads
#   (one per core), as a program would draw;
# - work ms: CPU time a frame with LP_NUM_THREADS=0, which makes llvmpipe do
#   everything on the calling thread: all the frame's work, API calls,
#   vertex processing and rasterising, and hardly moved by other processes.
#
#   bench/gl11_frame_rate.sh [BUILD_TREE] [ROUNDS]     (build/native, 5)
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build/native}
rounds=${2:-5}
filter='BM_RenderFrame/cube:[01]/particles:2050/w:1024/h:768/'

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
run() {  # program, output, environment...
  env "${@:3}" "$tree/bench/$1" --benchmark_filter="$filter" --benchmark_min_time=1 \
    --benchmark_format=json >"$2" 2>/dev/null
}
for round in $(seq "$rounds"); do
  for program in render_bench render_bench_gl11; do
    run "$program" "$tmp/$program-threads-$round.json"
    run "$program" "$tmp/$program-single-$round.json" LP_NUM_THREADS=0
  done
done

python3 - "$tmp" "$rounds" <<'PY'
import json, statistics, sys
tmp, rounds = sys.argv[1], int(sys.argv[2])

def median(program, mode, field):
    values = {}
    for round in range(1, rounds + 1):
        for b in json.load(open(f"{tmp}/{program}-{mode}-{round}.json"))["benchmarks"]:
            values.setdefault("cube" if "/cube:1/" in b["name"] else "sphere", []).append(b[field])
    return {scene: statistics.median(v) for scene, v in values.items()}

fps = {p: median(p, "threads", "fps") for p in ("render_bench", "render_bench_gl11")}
work = {p: median(p, "single", "cpu_time") for p in ("render_bench", "render_bench_gl11")}
print(f"2050 particles at 1024 x 768 on llvmpipe, median of {rounds} rounds")
print(f"{'':8} {'frames/s':>24} {'work ms a frame':>26}")
print(f"{'scene':8} {'GL 1.1':>8} {'layer':>7} {'gain':>7} {'GL 1.1':>9} {'layer':>7} {'gain':>8}")
for scene in ("cube", "sphere"):
    g, l = fps["render_bench"][scene], fps["render_bench_gl11"][scene]
    gw, lw = work["render_bench"][scene], work["render_bench_gl11"][scene]
    print(f"{scene:8} {g:8.1f} {l:7.1f} {l / g:6.2f}x {gw:9.2f} {lw:7.2f} {gw / lw:7.2f}x")
PY
