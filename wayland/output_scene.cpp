#include "wayland/output_scene.h"

#include "sim/scene_data.h"
#include "sim/scene_parameters.h"

namespace {

bool SphereInForce() { return SaverSettings.ObjectType == kSphereObject; }

void Keep(SceneRecords& records) {
  records.FrameCounter = FrameCounter;
  records.Swarm = ParticleSwarm;
  if (SphereInForce()) records.Sphere = SphereShell;
  else records.Cube = CubeShell;
}

void Restore(const SceneRecords& records) {
  FrameCounter = records.FrameCounter;
  ParticleSwarm = records.Swarm;
  if (SphereInForce()) SphereShell = records.Sphere;
  else CubeShell = records.Cube;
}

}  // namespace

void OutputScenes::Activate(Scene& scene) {
  if (active_ == &scene) return;
  if (active_ != nullptr) Keep(**active_);
  if (scene) Restore(*scene);
  else scene = std::make_unique<SceneRecords>();
  active_ = &scene;
}

void OutputScenes::Forget(const Scene& scene) {
  if (active_ == &scene) active_ = nullptr;
}
