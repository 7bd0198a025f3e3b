#include "sim/scene_data.h"

#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/scene_parameters.h"
#include "sim/sphere_shell.h"

std::int32_t FrameCounter = 0;

void InitSceneData() {
  InitCubeShell();
  FrameCounter = 4;
  InitParticleSwarm();
  InitSphereShell();
}

void AdvanceFrameCounter() {
  FrameCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(FrameCounter) + 1u);
}

namespace {

void SimulateCubeFrame() {
  const int inPlay = ParticlesInPlay();
  for (int i = 0; i < inPlay; ++i) StepCubeParticle(ParticleSwarm.Particles[i]);
  RegenerateCubeShell();
}

void SimulateSphereFrame() {
  ResetSeamCounters();
  const int inPlay = ParticlesInPlay();
  for (int i = 0; i < inPlay; ++i) StepSphereParticle(ParticleSwarm.Particles[i]);
  RegenerateSphereShell();
}

}  // namespace

void SimulateFrame() {
  AdvanceFrameCounter();
  if (SaverSettings.ObjectType != kSphereObject) SimulateCubeFrame();
  else SimulateSphereFrame();
}
