#include "tests/sim/sim_fixture.h"

#include <cmath>

class SphereShellTest : public SimTest {
 protected:
  static int NonZeroCounters() {
    int n = 0;
    for (const auto& row : SphereShell.Counters)
      for (float c : row) n += c != 0.0f;
    return n;
  }
};

TEST_F(SphereShellTest, CellMappingOfWorkedPositions) {
  const struct { Vector3 position; int row, column; } cases[] = {
      {{4.4f, 5.0f, 4.4f}, 50, 40},
      {{4.4f, -5.0f, 4.4f}, 230, 40},     // y < 0: second half, 180 + row
      {{4.4f, 0.0f, 4.4f}, 50, 40},       // y = 0 counts on the first half
      {{-6.0f, 2.0f, -5.0f}, 120, 160},   // a little beyond radius 8
      {{0.5f, 0.3f, 7.95f}, 0, 50},
      {{0.1f, 0.1f, 8.02f}, 0, 0},        // z / 8 beyond 1: cell (0, 0)
      {{0.1f, -0.1f, -8.02f}, 0, 0},      // ... whatever the sign of y
      {{7.95f, 0.05f, 1.2f}, 80, 0},      // azimuth argument about 1.005
      {{7.95f, -0.05f, 1.2f}, 260, 0},
      {{0.0f, 0.0f, 8.0f}, 0, 0},         // the pole: azimuth not a number
      {{1.0f, -3.0f, -7.5f}, 330, 60},
  };
  for (const auto& c : cases) {
    const SphereCell cell = SphereCellOf(c.position);
    EXPECT_EQ(cell.Row, c.row) << c.position.x << ' ' << c.position.y << ' ' << c.position.z;
    EXPECT_EQ(cell.Column, c.column) << c.position.x << ' ' << c.position.y << ' ' << c.position.z;
  }
}

TEST_F(SphereShellTest, ContactStartsJustBeyondContactDistance) {
  Particle at = Inside({7.9f, 0.0f, 0.0f}, {0.01f, 0.02f, 0.03f});
  StepSphereParticle(at);
  EXPECT_EQ(at.Velocity.x, 0.01f);
  EXPECT_EQ(NonZeroCounters(), 0);

  Particle beyond = Inside({std::nextafter(7.9f, 8.0f), 0.0f, 0.0f}, {0.01f, 0.02f, 0.03f});
  StepSphereParticle(beyond);
  // Reflection reverses all three components, then the particle moves.
  EXPECT_EQ(beyond.Velocity.x, -0.01f);
  EXPECT_EQ(beyond.Velocity.y, -0.02f);
  EXPECT_EQ(beyond.Velocity.z, -0.03f);
  EXPECT_EQ(beyond.Position.y, -0.02f);
  EXPECT_EQ(SphereShell.Counters[90][0], -1.0f);  // polar 90 degrees, azimuth 0
  EXPECT_EQ(NonZeroCounters(), 1);
}

TEST_F(SphereShellTest, SecondHalfCountsOnItsOwnRows) {
  Particle p = Inside({4.4f, -5.0f, 4.4f}, {0.0f, 0.0f, 0.0f});
  StepSphereParticle(p);
  EXPECT_EQ(SphereShell.Counters[230][40], -1.0f);
  EXPECT_EQ(SphereShell.Counters[50][40], 0.0f);

  // A broken first-half cell does not stop a second-half contact.
  SphereShell.Counters[50][40] = -10.0f;
  Particle q = Inside({4.4f, -5.0f, 4.4f}, {0.0f, 0.0f, 0.0f});
  StepSphereParticle(q);
  EXPECT_EQ(q.Outside, 0);
  EXPECT_EQ(SphereShell.Counters[230][40], -2.0f);
}

TEST_F(SphereShellTest, BrokenCellLetsParticleThroughAndItStaysOutside) {
  for (int reflection = 1; reflection <= 10; ++reflection) {
    Particle p = Inside({4.4f, 5.0f, 4.4f}, {0.01f, 0.0f, 0.0f});
    StepSphereParticle(p);
    EXPECT_EQ(p.Outside, 0);
  }
  EXPECT_EQ(SphereShell.Counters[50][40], -10.0f);

  Particle through = Inside({4.4f, 5.0f, 4.4f}, {0.01f, 0.0f, 0.0f});
  StepSphereParticle(through);
  EXPECT_EQ(through.Outside, 1);
  EXPECT_EQ(through.Velocity.x, 0.01f);
  EXPECT_EQ(SphereShell.Counters[50][40], -10.0f);

  // On its way out it maps to intact cells, and is still not reflected.
  through.Position = {0.5f, 0.3f, 7.95f};
  StepSphereParticle(through);
  EXPECT_EQ(through.Outside, 1);
  EXPECT_EQ(SphereShell.Counters[0][50], 0.0f);
}

TEST_F(SphereShellTest, GrowthModeBreaksAtPlusPermeability) {
  SaverSettings.Decay = 0;
  SaverSettings.Permeability = 1.0f;
  DeriveSceneParameters();
  Particle p = Inside({-6.0f, 2.0f, -5.0f}, {0.0f, 0.0f, 0.0f});
  StepSphereParticle(p);
  EXPECT_EQ(SphereShell.Counters[120][160], 1.0f);
  StepSphereParticle(p);
  EXPECT_EQ(p.Outside, 1);
}

TEST_F(SphereShellTest, FarAwayParticleIsPutBackInTheBoxWithoutContact) {
  SeedRandom(555);
  const float x = CentredDraw(6.5f), y = CentredDraw(6.5f), z = CentredDraw(6.5f);
  SeedRandom(555);
  const std::uint32_t start = RandomSource.State;
  Particle p = Inside({0.0f, 0.0f, 100.5f}, {0.01f, 0.02f, 0.03f});
  p.Outside = 1;
  StepSphereParticle(p);
  EXPECT_EQ(DrawsSince(start), 3);
  EXPECT_EQ(p.Outside, 0);
  EXPECT_EQ(p.Position.x, x + 0.01f);
  EXPECT_EQ(p.Position.y, y + 0.02f);
  EXPECT_EQ(p.Position.z, z + 0.03f);
  EXPECT_EQ(p.Velocity.z, 0.03f);
  EXPECT_EQ(NonZeroCounters(), 0);

  Particle edge = Inside({0.0f, 0.0f, 100.0f}, {0.0f, 0.0f, 0.03f});
  edge.Outside = 1;
  StepSphereParticle(edge);
  EXPECT_EQ(edge.Outside, 1);
  EXPECT_EQ(edge.Position.z, 100.03f);
}

TEST_F(SphereShellTest, SeamCountersHoldOnlyTheCurrentFrame) {
  SphereShell.Counters[0][0] = -4.0f;
  SphereShell.Counters[350][0] = -10.0f;
  SphereShell.Counters[360][0] = -2.0f;
  SphereShell.Counters[90][10] = -3.0f;
  ResetSeamCounters();
  EXPECT_EQ(SphereShell.Counters[0][0], 0.0f);
  EXPECT_EQ(SphereShell.Counters[350][0], 0.0f);
  EXPECT_EQ(SphereShell.Counters[360][0], -2.0f);  // row 360 is not reset
  EXPECT_EQ(SphereShell.Counters[90][10], -3.0f);
}

TEST_F(SphereShellTest, RegenerationDrawsForAll720PositionsAndHealsOnlyBrokenCells) {
  SphereShell.Counters[0][0] = -10.0f;   // broken
  SphereShell.Counters[0][10] = -9.0f;   // intact
  SeedSoNextDrawHeals(true);
  std::uint32_t start = RandomSource.State;
  RegenerateSphereShell();
  EXPECT_EQ(DrawsSince(start), 720);
  EXPECT_EQ(SphereShell.Counters[0][0], 0.0f);
  EXPECT_EQ(SphereShell.Counters[0][10], -9.0f);

  SphereShell.Counters[0][0] = -10.0f;
  SeedSoNextDrawHeals(false);
  RegenerateSphereShell();
  EXPECT_EQ(SphereShell.Counters[0][0], -10.0f);

  SaverSettings.Regeneration = 0;
  start = RandomSource.State;
  RegenerateSphereShell();
  EXPECT_EQ(DrawsSince(start), 0);
}

TEST_F(SphereShellTest, InitColoursEveryEntryWithThreeDrawsAndBaseAlpha) {
  for (std::uint8_t decay : {1, 0}) {
    SaverSettings.Decay = decay;
    SphereShell.Counters[10][10] = 3.0f;
    const std::uint32_t start = RandomSource.State;
    InitSphereShell();
    EXPECT_EQ(DrawsSince(start), 486000);
    EXPECT_EQ(NonZeroCounters(), 0);
    EXPECT_EQ(SphereShell.Colours[449][359].a, decay ? 0.6f : 0.0f);
    EXPECT_EQ(SphereShell.Colours[0][0].a, decay ? 0.6f : 0.0f);
  }
}

TEST_F(SphereShellTest, ZeroPermeabilityLetsEveryParticleThrough) {
  SaverSettings.Permeability = 0.0f;
  DeriveSceneParameters();
  Particle p = Inside({4.4f, 5.0f, 4.4f}, {0.01f, 0.0f, 0.0f});
  StepSphereParticle(p);
  EXPECT_EQ(p.Outside, 1);
  EXPECT_EQ(p.Velocity.x, 0.01f);
  EXPECT_EQ(NonZeroCounters(), 0);
}
