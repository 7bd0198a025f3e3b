#include "bench/worn_scene.h"

#include "sim/random_source.h"
#include "sim/scene_parameters.h"

namespace {

constexpr int kWearFrames = 3000;
constexpr int kFramesPerSecond = 60;
constexpr std::uint32_t kClock = 1700000000u;

}  // namespace

void PrepareWornScene(std::uint8_t objectType, float particles,
                      const std::function<void()>& initialise) {
  SaverSettings = kDefaultSettings;
  SaverSettings.ObjectType = objectType;
  SaverSettings.SpawnPoints = particles;
  ReseedFromTime(kClock);
  DeriveSceneParameters();
  initialise();
  for (int frame = 0; frame < kWearFrames; ++frame) {
    ReseedFromTime(kClock + frame / kFramesPerSecond);
    DeriveSceneParameters();
    SimulateFrame();
  }
}
