// The renderer's frame routines interleave the simulation with the drawing;
// the headless tools and the benchmarks run SimulateFrame instead. Both must
// leave the scene in the same state, frame after frame, whatever the
// settings do meanwhile.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "render/frame_driver.h"
#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "sim/sphere_shell.h"
#include "tests/render/gl_recorder.h"

namespace {

// Everything a frame may change, copied byte for byte.
struct SceneSnapshot {
  ParticleSwarmArray particles;
  CubeShellData cube;
  SphereShellData sphere;
  RandomSourceState random;
  std::int32_t frameCounter;
};

std::unique_ptr<SceneSnapshot> Take() {
  auto s = std::make_unique<SceneSnapshot>();
  std::memcpy(&s->particles, &ParticleSwarm, sizeof ParticleSwarm);
  std::memcpy(&s->cube, &CubeShell, sizeof CubeShell);
  std::memcpy(&s->sphere, &SphereShell, sizeof SphereShell);
  s->random = RandomSource;
  s->frameCounter = FrameCounter;
  return s;
}

void Restore(const SceneSnapshot& s) {
  std::memcpy(&ParticleSwarm, &s.particles, sizeof ParticleSwarm);
  std::memcpy(&CubeShell, &s.cube, sizeof CubeShell);
  std::memcpy(&SphereShell, &s.sphere, sizeof SphereShell);
  RandomSource = s.random;
  FrameCounter = s.frameCounter;
}

// Runs the frames of a script that changes the settings along the way,
// reseeding as the saver does, with `frame` drawing or simulating each.
void RunScript(void (*frame)()) {
  struct Change { int atFrame; void (*apply)(); };
  const Change script[] = {
      {0, [] { SaverSettings.SpawnPoints = 650.0f; }},
      {40, [] { SaverSettings.Permeability = 1.0f; }},
      {80, [] { SaverSettings.ObjectType = kSphereObject; }},
      {120, [] { SaverSettings.Decay = 0; }},
      {160, [] { SaverSettings.Regeneration = 0; SaverSettings.SpawnPoints = 2050.0f; }},
      {200, [] { SaverSettings.ObjectType = kCubeObject; SaverSettings.Permeability = 21.0f; }},
      {240, [] { SaverSettings.Regeneration = 1; SaverSettings.SpawnPoints = 3.0f; }},
  };
  SaverSettings = kDefaultSettings;
  for (int i = 0; i < 280; ++i) {
    for (const Change& c : script)
      if (c.atFrame == i) c.apply();
    ReseedFromTime(1700000000u + i / 10);
    DeriveSceneParameters();
    frame();
    ResetGlRecorder();  // the recording is not needed here, only the scene
  }
}

TEST(SameSceneState, RenderFrameAndSimulateFrameLeaveTheSameScene) {
  SaverSettings = kDefaultSettings;
  ReseedFromTime(1700000000u);
  DeriveSceneParameters();
  InitSceneData();
  const auto start = Take();

  RunScript(RenderFrame);
  const auto drawn = Take();
  Restore(*start);
  RunScript(SimulateFrame);
  const auto simulated = Take();

  EXPECT_EQ(drawn->frameCounter, start->frameCounter + 280);
  EXPECT_EQ(simulated->frameCounter, drawn->frameCounter);
  EXPECT_EQ(simulated->random.State, drawn->random.State);
  EXPECT_EQ(std::memcmp(&simulated->particles, &drawn->particles, sizeof(ParticleSwarmArray)), 0);
  EXPECT_EQ(std::memcmp(&simulated->cube, &drawn->cube, sizeof(CubeShellData)), 0);
  EXPECT_EQ(std::memcmp(&simulated->sphere, &drawn->sphere, sizeof(SphereShellData)), 0);
  // The script must have moved things, or the comparison proves nothing.
  EXPECT_NE(std::memcmp(&start->particles, &drawn->particles, sizeof(ParticleSwarmArray)), 0);
  EXPECT_NE(std::memcmp(&start->cube.Counters, &drawn->cube.Counters, sizeof start->cube.Counters), 0);
  EXPECT_NE(std::memcmp(&start->sphere.Counters, &drawn->sphere.Counters, sizeof start->sphere.Counters), 0);
}

// A paused host draws the scene again after a resize or a change of
// settings: the same calls as the frame before, the scene left as it was.
// With regeneration off nothing heals after the cells are drawn, so the
// cube's still frame is its last frame call for call; the sphere's differs
// only in the colours of its seam cells, which a step clears before drawing.
TEST(SameSceneState, AStillFrameDrawsTheLastFrameAgainAndChangesNothing) {
  for (const std::uint8_t container : {kCubeObject, kSphereObject}) {
    SaverSettings = kDefaultSettings;
    SaverSettings.ObjectType = container;
    SaverSettings.SpawnPoints = 2050.0f;
    SaverSettings.Regeneration = 0;
    ReseedFromTime(1700000000u);
    DeriveSceneParameters();
    InitSceneData();
    for (int i = 0; i < 30; ++i) {
      ReseedFromTime(1700000000u + i / 10);
      DeriveSceneParameters();
      ResetGlRecorder();
      RenderFrame();
    }
    const std::vector<GlCall> last = GlCalls();
    const auto before = Take();
    ResetGlRecorder();
    RenderStillFrame();
    const auto after = Take();
    const std::vector<GlCall>& still = GlCalls();

    const char* name = container == kCubeObject ? "cube" : "sphere";
    EXPECT_EQ(after->frameCounter, before->frameCounter) << name;
    EXPECT_EQ(after->random.State, before->random.State) << name;
    EXPECT_EQ(std::memcmp(&after->particles, &before->particles, sizeof(ParticleSwarmArray)), 0) << name;
    EXPECT_EQ(std::memcmp(&after->cube, &before->cube, sizeof(CubeShellData)), 0) << name;
    EXPECT_EQ(std::memcmp(&after->sphere, &before->sphere, sizeof(SphereShellData)), 0) << name;
    ASSERT_EQ(still.size(), last.size()) << name;
    int differing = 0;
    for (std::size_t i = 0; i < still.size(); ++i) {
      ASSERT_EQ(still[i].name, last[i].name) << name << " call " << i;
      if (still[i].args != last[i].args || still[i].modelview != last[i].modelview) {
        ++differing;
        EXPECT_TRUE(container == kSphereObject && still[i].name == "glColor4f") << name << " call " << i;
      }
    }
    if (container == kCubeObject) {
      EXPECT_EQ(differing, 0);
    }
  }
}

}  // namespace
