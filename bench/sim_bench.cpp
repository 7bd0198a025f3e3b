// Simulation speed: one frame of each container with 2050 particles in a worn,
// steady state, the healing and regeneration passes alone, and the scene
// initialisation.
#include <benchmark/benchmark.h>

#include "bench/worn_scene.h"
#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "sim/sphere_shell.h"

namespace {

// One frame of the container in force, 2050 particles, in a worn state.
void BM_Frame(benchmark::State& state) {
  PrepareWornScene(static_cast<std::uint8_t>(state.range(0)), 2050.0f);
  for (auto _ : state) {
    SimulateFrame();
    benchmark::ClobberMemory();
  }
  const int inPlay = ParticlesInPlay();
  state.counters["particle_steps"] =
      benchmark::Counter(static_cast<double>(inPlay), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["ns_per_particle"] = benchmark::Counter(
      static_cast<double>(inPlay), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Frame)->Name("CubeFrame/2050")->Arg(kCubeObject);
BENCHMARK(BM_Frame)->Name("SphereFrame/2050")->Arg(kSphereObject);

void BM_CubeHealing(benchmark::State& state) {
  PrepareWornScene(kCubeObject, 2050.0f);
  for (auto _ : state) {
    RegenerateCubeShell();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CubeHealing)->Name("CubeHealingPass");

void BM_SphereRegeneration(benchmark::State& state) {
  PrepareWornScene(kSphereObject, 2050.0f);
  for (auto _ : state) {
    RegenerateSphereShell();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SphereRegeneration)->Name("SphereRegenerationPass");

void BM_InitSceneData(benchmark::State& state) {
  SaverSettings = kDefaultSettings;
  for (auto _ : state) {
    ReseedFromTime(1700000000u);
    InitSceneData();
    benchmark::ClobberMemory();
  }
  state.counters["draws"] = benchmark::Counter(506900, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InitSceneData)->Name("InitSceneData")->Unit(benchmark::kMicrosecond);

}  // namespace
