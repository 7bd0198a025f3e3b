// Whole frames on Mesa's software renderer: RenderFrame and glFinish, for
// each container, particle count and picture size, in a worn steady state.
// The SimulationOnly rows run the same frames without drawing, so the share
// of a frame spent in the simulation is their time over the frame's.
//
// render_bench draws with Mesa's OpenGL 1.1 immediate mode; render_bench_gl11
// is the same program with the renderer drawing through the GL 1.1 layer on
// Mesa's OpenGL ES 3 (bench/gl11_frame_rate.sh runs the two side by side).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/worn_scene.h"
#include "render/frame_driver.h"
#include "sim/scene_data.h"
#include "headless/render_context.h"

namespace {

// Arguments: object type (kSphereObject or kCubeObject), particles, width, height.
void BM_RenderFrame(benchmark::State& state) {
  const auto objectType = static_cast<std::uint8_t>(state.range(0));
  const int width = static_cast<int>(state.range(2)), height = static_cast<int>(state.range(3));
  OffscreenContext context;
  std::string error;
  if (!CreateRenderContext(context, width, height, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  PrepareWornScene(objectType, static_cast<float>(state.range(1)),
                   [&] { StartScene(width, height); });
  for (auto _ : state) {
    RenderFrame();
    context.Finish();
  }
  state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SimulationOnly(benchmark::State& state) {
  const auto objectType = static_cast<std::uint8_t>(state.range(0));
  PrepareWornScene(objectType, static_cast<float>(state.range(1)));
  for (auto _ : state) {
    SimulateFrame();
    benchmark::ClobberMemory();
  }
}

void Scenes(benchmark::internal::Benchmark* b, bool withSize) {
  for (int objectType : {1, 0})
    for (int particles : {250, 2050}) {
      if (!withSize) {
        b->Args({objectType, particles});
        continue;
      }
      b->Args({objectType, particles, 1024, 768});
      b->Args({objectType, particles, 1920, 1080});
    }
}

BENCHMARK(BM_RenderFrame)
    ->ArgNames({"cube", "particles", "w", "h"})
    ->Apply([](benchmark::internal::Benchmark* b) { Scenes(b, true); })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SimulationOnly)
    ->ArgNames({"cube", "particles"})
    ->Apply([](benchmark::internal::Benchmark* b) { Scenes(b, false); })
    ->Unit(benchmark::kMicrosecond);

}  // namespace
