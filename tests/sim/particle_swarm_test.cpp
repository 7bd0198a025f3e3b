#include "tests/sim/sim_fixture.h"

#include <cmath>
#include <limits>

using ParticleSwarmTest = SimTest;

TEST_F(ParticleSwarmTest, InitTakesNineDrawsPerRecordWhateverIsInPlay) {
  SaverSettings.SpawnPoints = 50.0f;
  const std::uint32_t start = RandomSource.State;
  InitParticleSwarm();
  EXPECT_EQ(DrawsSince(start), 18900);
}

TEST_F(ParticleSwarmTest, InitSkipsThreeDrawsThenPositionThenVelocity) {
  SeedRandom(4242);
  int k[9];
  for (int& v : k) v = NextRandom();
  SeedRandom(4242);
  InitParticleSwarm();

  const Particle& p = ParticleSwarm.Particles[0];
  auto position = [](int draw) { return static_cast<float>((draw / 32768.0 - 0.5) * 6.5); };
  auto velocity = [](int draw) { return static_cast<float>((draw / 32768.0 - 0.5) * double(0.15f)); };
  EXPECT_EQ(p.Outside, 0);
  EXPECT_EQ(p.Position.x, position(k[3]));
  EXPECT_EQ(p.Position.y, position(k[4]));
  EXPECT_EQ(p.Position.z, position(k[5]));
  EXPECT_EQ(p.Velocity.x, velocity(k[6]));
  EXPECT_EQ(p.Velocity.y, velocity(k[7]));
  EXPECT_EQ(p.Velocity.z, velocity(k[8]));
}

TEST_F(ParticleSwarmTest, InitialValuesStayInTheirHalfOpenRanges) {
  SeedRandom(99);
  InitParticleSwarm();
  for (const Particle& p : ParticleSwarm.Particles) {
    for (float c : {p.Position.x, p.Position.y, p.Position.z}) {
      EXPECT_GE(c, -3.25f);
      EXPECT_LE(c, 3.25f - 6.5f / 32768.0f);
    }
    for (float v : {p.Velocity.x, p.Velocity.y, p.Velocity.z}) {
      EXPECT_GE(v, -0.075f);
      EXPECT_LT(v, 0.075f);
    }
  }
}

TEST_F(ParticleSwarmTest, CountInPlayComparesIndexWithSpawnPointsAndIsBounded) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct { float spawn; int inPlay; } cases[] = {
      {0.0f, 0},     {-5.0f, 0},    {nan, 0},       {-inf, 0},   {0.5f, 1},
      {50.0f, 50},   {250.0f, 250}, {250.5f, 251},  {2050.0f, 2050},
      {2100.0f, 2100}, {2100.5f, 2100}, {1e9f, 2100}, {inf, 2100},
  };
  for (const auto& c : cases) {
    SaverSettings.SpawnPoints = c.spawn;
    EXPECT_EQ(ParticlesInPlay(), c.inPlay) << "SpawnPoints " << c.spawn;
  }
}
