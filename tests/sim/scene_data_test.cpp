#include "tests/sim/sim_fixture.h"

#include <cmath>
#include <limits>

class SceneDataTest : public SimTest {};

TEST_F(SceneDataTest, InitDrawsCubeThenParticlesThenSphereFromOneSequence) {
  SeedRandom(2024);
  const std::uint32_t start = RandomSource.State;

  // The same three phases run one by one mark where each must end.
  InitCubeShell();
  const std::uint32_t afterCube = RandomSource.State;
  InitParticleSwarm();
  const std::uint32_t afterParticles = RandomSource.State;
  const Particle firstParticle = ParticleSwarm.Particles[0];
  InitSphereShell();
  const std::uint32_t afterSphere = RandomSource.State;

  SeedRandom(start);
  InitSceneData();
  EXPECT_EQ(RandomSource.State, afterSphere);
  EXPECT_EQ(FrameCounter, 4);
  EXPECT_EQ(ParticleSwarm.Particles[0].Position.x, firstParticle.Position.x);
  EXPECT_EQ(DrawsSince(start), 506900);
  SeedRandom(afterCube);
  EXPECT_EQ(DrawsSince(start), 2000);
  SeedRandom(afterParticles);
  EXPECT_EQ(DrawsSince(afterCube), 18900);
}

TEST_F(SceneDataTest, FramesCountFromFiveAndWrapAround) {
  InitSceneData();
  SimulateFrame();
  EXPECT_EQ(FrameCounter, 5);
  SaverSettings.ObjectType = kSphereObject;
  SimulateFrame();
  EXPECT_EQ(FrameCounter, 6);

  FrameCounter = std::numeric_limits<std::int32_t>::max();
  AdvanceFrameCounter();
  EXPECT_EQ(FrameCounter, std::numeric_limits<std::int32_t>::min());
}

TEST_F(SceneDataTest, OnlyParticlesInPlayMove) {
  InitSceneData();
  const Particle first = ParticleSwarm.Particles[249];
  const Particle beyond = ParticleSwarm.Particles[250];
  SaverSettings.SpawnPoints = 250.0f;
  for (int frame = 0; frame < 3; ++frame) SimulateFrame();
  EXPECT_NE(ParticleSwarm.Particles[249].Position.x, first.Position.x);
  EXPECT_EQ(ParticleSwarm.Particles[250].Position.x, beyond.Position.x);
  EXPECT_EQ(ParticleSwarm.Particles[250].Velocity.y, beyond.Velocity.y);
}

TEST_F(SceneDataTest, NoParticlesStillHealsTheShells) {
  InitSceneData();
  SaverSettings.SpawnPoints = 0.0f;
  const Particle p0 = ParticleSwarm.Particles[0];

  CubeShell.Counters[5] = -10;
  SeedSoNextDrawHeals(true);
  SimulateFrame();
  EXPECT_EQ(CubeShell.Counters[5], 0);

  SaverSettings.ObjectType = kSphereObject;
  const std::uint32_t start = RandomSource.State;
  SimulateFrame();
  EXPECT_EQ(DrawsSince(start), 720);
  EXPECT_EQ(ParticleSwarm.Particles[0].Position.x, p0.Position.x);
}

TEST_F(SceneDataTest, SpawnPointsBeyondThePoolStepsAllOfItAndNoMore) {
  InitSceneData();
  SaverSettings.SpawnPoints = 1e9f;
  const Particle last = ParticleSwarm.Particles[kSwarmSize - 1];
  for (int frame = 0; frame < 10; ++frame) {
    SaverSettings.ObjectType = frame % 2 ? kCubeObject : kSphereObject;
    SimulateFrame();
  }
  // The last record moved; the sanitizer build catches any step beyond it.
  EXPECT_NE(ParticleSwarm.Particles[kSwarmSize - 1].Position.x, last.Position.x);
}

TEST_F(SceneDataTest, WornCubeKeepsInsideParticlesWithinTheWalls) {
  SaverSettings.SpawnPoints = 2050.0f;
  ReseedFromTime(1);
  InitSceneData();
  for (int frame = 0; frame < 3000; ++frame) {
    ReseedFromTime(1 + frame / 60);
    DeriveSceneParameters();
    SimulateFrame();
    if (frame % 100 != 99) continue;
    for (int i = 0; i < 2050; ++i) {
      const Particle& p = ParticleSwarm.Particles[i];
      if (p.Outside) continue;
      for (float c : {p.Position.x, p.Position.y, p.Position.z}) {
        ASSERT_LT(std::fabs(c), 3.98f) << "particle " << i << " frame " << frame;
      }
    }
  }
  int broken = 0;
  for (std::int32_t c : CubeShell.Counters) broken += c <= -10;
  EXPECT_GT(broken, 0) << "the run should have worn some cells through";
}
