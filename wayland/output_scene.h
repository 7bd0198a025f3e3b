// Each output shows a scene of its own, but the simulation and the renderer
// keep one scene in process-wide records (the particles, the shells, the
// frame counter). OutputScenes keeps the other outputs' scenes aside and
// brings the one whose frame is drawn next into those records, so that every
// scene moves 60 steps a second however many outputs draw. The random source
// is reseeded before every frame, so it is not kept. Only the shell of the
// container in force is kept: the settings do not change while the program
// runs.
#pragma once

#include <cstdint>
#include <memory>

#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/sphere_shell.h"

struct SceneRecords {
  std::int32_t FrameCounter = 0;
  ParticleSwarmArray Swarm;
  CubeShellData Cube;
  SphereShellData Sphere;
};

class OutputScenes {
 public:
  // A scene's place; null (no scene kept) until the first Activate.
  using Scene = std::unique_ptr<SceneRecords>;

  // Brings `scene` into the process-wide records, keeping those of the scene
  // that was there. A scene that is already there costs nothing; a new
  // (null) one gets its place, for the caller to initialise the records.
  void Activate(Scene& scene);

  // Tells that `scene` is about to be destroyed, so that it is not kept.
  void Forget(const Scene& scene);

 private:
  Scene* active_ = nullptr;
};
