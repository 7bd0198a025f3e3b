// Simulation speed: one frame of each container with 2050 particles in a worn,
// steady state, the healing and regeneration passes alone, and the scene
// initialisation.
#include <benchmark/benchmark.h>

#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "sim/sphere_shell.h"

namespace {

constexpr int kWearFrames = 3000;
constexpr int kFramesPerSecond = 60;
constexpr std::uint32_t kClock = 1700000000u;

// Initialises the scene and runs it for a few thousand frames, reseeding
// once per simulated second as the saver would.
void PrepareWornScene(std::uint8_t objectType) {
  SaverSettings = kDefaultSettings;
  SaverSettings.ObjectType = objectType;
  SaverSettings.SpawnPoints = 2050.0f;
  ReseedFromTime(kClock);
  DeriveSceneParameters();
  InitSceneData();
  for (int frame = 0; frame < kWearFrames; ++frame) {
    ReseedFromTime(kClock + frame / kFramesPerSecond);
    DeriveSceneParameters();
    if (objectType) SimulateCubeFrame();
    else SimulateSphereFrame();
  }
}

template <void (*Frame)(), std::uint8_t ObjectType>
void BM_Frame(benchmark::State& state) {
  PrepareWornScene(ObjectType);
  for (auto _ : state) {
    Frame();
    benchmark::ClobberMemory();
  }
  const int inPlay = ParticlesInPlay();
  state.counters["particle_steps"] =
      benchmark::Counter(static_cast<double>(inPlay), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["ns_per_particle"] = benchmark::Counter(
      static_cast<double>(inPlay), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_Frame<SimulateCubeFrame, 1>)->Name("CubeFrame/2050");
BENCHMARK(BM_Frame<SimulateSphereFrame, 0>)->Name("SphereFrame/2050");

void BM_CubeHealing(benchmark::State& state) {
  PrepareWornScene(1);
  for (auto _ : state) {
    RegenerateCubeShell();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CubeHealing)->Name("CubeHealingPass");

void BM_SphereRegeneration(benchmark::State& state) {
  PrepareWornScene(0);
  for (auto _ : state) {
    RegenerateSphereShell();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SphereRegeneration)->Name("SphereRegenerationPass");

void BM_InitSceneData(benchmark::State& state) {
  SaverSettings = kDefaultSettings;
  for (auto _ : state) {
    ReseedFromTime(kClock);
    InitSceneData();
    benchmark::ClobberMemory();
  }
  state.counters["draws"] = benchmark::Counter(506900, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InitSceneData)->Name("InitSceneData")->Unit(benchmark::kMicrosecond);

}  // namespace
