// The state a test of the scene starts from. The simulation works on
// process-wide records, so every fixture that touches them begins here.
#pragma once

#include <cstdint>
#include <cstring>

#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "sim/sphere_shell.h"

// Default settings and the values derived from them, empty shells, all
// particles at rest at the centre, frame 0, and the random state `seed`.
inline void ResetSceneRecords(std::uint32_t seed) {
  SaverSettings = kDefaultSettings;
  DeriveSceneParameters();
  std::memset(&CubeShell, 0, sizeof CubeShell);
  std::memset(&SphereShell, 0, sizeof SphereShell);
  std::memset(&ParticleSwarm, 0, sizeof ParticleSwarm);
  FrameCounter = 0;
  SeedRandom(seed);
}
