#include "tests/sim/sim_fixture.h"

#include <cmath>
#include <limits>

class CubeShellTest : public SimTest {
 protected:
  // A particle that the move will put exactly at `moved`: the velocity is
  // applied first, so it starts one velocity step back.
  static Particle MovingTo(Vector3 moved, Vector3 velocity) {
    return Inside({moved.x - velocity.x, moved.y - velocity.y, moved.z - velocity.z}, velocity);
  }

  static int NonZeroCounters() {
    int n = 0;
    for (std::int32_t c : CubeShell.Counters) n += c != 0;
    return n;
  }
};

TEST_F(CubeShellTest, InitTakesFourDrawsPerSlotAndSetsBaseAlphaByMode) {
  for (std::uint8_t decay : {1, 0}) {
    SaverSettings.Decay = decay;
    CubeShell.Counters[17] = 5;
    SeedRandom(321);
    const int r = NextRandom(), g = NextRandom(), b = NextRandom();
    SeedRandom(321);
    const std::uint32_t start = RandomSource.State;
    InitCubeShell();
    EXPECT_EQ(DrawsSince(start), 2000);
    EXPECT_EQ(CubeShell.Colours[0].r, r / 32768.0f);
    EXPECT_EQ(CubeShell.Colours[0].g, g / 32768.0f);
    EXPECT_EQ(CubeShell.Colours[0].b, b / 32768.0f);
    for (const Colour& c : CubeShell.Colours) EXPECT_EQ(c.a, decay ? 0.6f : 0.0f);
    EXPECT_EQ(NonZeroCounters(), 0);
  }
}

TEST_F(CubeShellTest, DecayCellBreaksAfterPermeabilityBounces) {
  // Slot 145: x = +4 face, row 2, column 1; the particle comes back each time.
  const int slot = 145;
  for (int bounce = 1; bounce <= 10; ++bounce) {
    Particle p = MovingTo({3.95f, -1.2f, 2.7f}, {0.05f, 0.0f, 0.0f});
    StepCubeParticle(p);
    EXPECT_EQ(CubeShell.Counters[slot], -bounce);
    EXPECT_EQ(p.Velocity.x, -0.05f);
    EXPECT_EQ(p.Outside, 0);
  }
  Particle eleventh = MovingTo({3.95f, -1.2f, 2.7f}, {0.05f, 0.0f, 0.0f});
  StepCubeParticle(eleventh);
  EXPECT_EQ(eleventh.Outside, 1);
  EXPECT_EQ(eleventh.Velocity.x, 0.05f);
  EXPECT_EQ(CubeShell.Counters[slot], -10);
  EXPECT_EQ(NonZeroCounters(), 1);
}

TEST_F(CubeShellTest, GrowthModeCountsUpwards) {
  SaverSettings.Decay = 0;
  DeriveSceneParameters();
  Particle p = MovingTo({0.5f, 3.92f, -2.3f}, {0.0f, 0.04f, 0.0f});
  StepCubeParticle(p);
  EXPECT_EQ(CubeShell.Counters[332], 1);  // face 5, row 1, column 4
  EXPECT_EQ(NonZeroCounters(), 1);
}

TEST_F(CubeShellTest, WallTestsIncludeTheirBounds) {
  const struct { Vector3 moved; int slot; } cases[] = {
      {{3.9f, 0.0f, 0.0f}, 128 + 8 * 4 + 3},   // x = +4, cy 4, cz 4
      {{-3.9f, 0.0f, 0.0f}, 192 + 8 * 4 + 3},  // x = -4
      {{0.0f, 3.9f, 0.0f}, 320 + 8 * 4 + 4},   // y = +4
      {{0.0f, -3.9f, 0.0f}, 256 + 8 * 4 + 4},  // y = -4
      {{0.0f, 0.0f, 3.9f}, 8 * 4 + 4},         // z = +4
      {{0.0f, 0.0f, -3.9f}, 64 + 8 * 4 + 4},   // z = -4
  };
  for (const auto& c : cases) {
    ResetScene();
    Particle p = Inside(c.moved, {0.0f, 0.0f, 0.0f});
    StepCubeParticle(p);
    EXPECT_EQ(CubeShell.Counters[c.slot], -1) << "slot " << c.slot;
    EXPECT_EQ(NonZeroCounters(), 1) << "slot " << c.slot;
  }
  // Just inside the bound nothing is touched.
  Particle p = Inside({std::nextafter(3.9f, 0.0f), 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f});
  ResetScene();
  StepCubeParticle(p);
  EXPECT_EQ(NonZeroCounters(), 0);
}

TEST_F(CubeShellTest, FaceTwoColumnRunsAgainstZ) {
  Particle near = Inside({3.95f, 0.5f, 3.5f}, {0.0f, 0.0f, 0.0f});
  StepCubeParticle(near);
  EXPECT_EQ(CubeShell.Counters[128 + 8 * 4 + 0], -1);
  Particle far = Inside({3.95f, 0.5f, -3.5f}, {0.0f, 0.0f, 0.0f});
  StepCubeParticle(far);
  EXPECT_EQ(CubeShell.Counters[128 + 8 * 4 + 7], -1);
}

TEST_F(CubeShellTest, EdgeBouncesOffBothFacesFaceFiveFirst) {
  Particle p = Inside({0.5f, 3.92f, 3.93f}, {0.0f, 0.01f, 0.02f});
  StepCubeParticle(p);
  EXPECT_EQ(CubeShell.Counters[320 + 8 * 7 + 4], -1);  // face 5
  EXPECT_EQ(CubeShell.Counters[8 * 7 + 4], -1);        // face 0
  EXPECT_EQ(p.Velocity.y, -0.01f);
  EXPECT_EQ(p.Velocity.z, -0.02f);

  // With face 5's cell broken, the particle leaves there and face 0 is spared.
  ResetScene();
  CubeShell.Counters[320 + 8 * 7 + 4] = -10;
  Particle q = Inside({0.5f, 3.92f, 3.93f}, {0.0f, 0.01f, 0.02f});
  StepCubeParticle(q);
  EXPECT_EQ(q.Outside, 1);
  EXPECT_EQ(CubeShell.Counters[8 * 7 + 4], 0);
  EXPECT_EQ(q.Velocity.z, 0.02f);
}

TEST_F(CubeShellTest, OutsideParticleIsLeftAlone) {
  CubeShell.Counters[145] = -3;
  Particle p = MovingTo({3.95f, -1.2f, 2.7f}, {0.05f, 0.0f, 0.0f});
  p.Outside = 1;
  StepCubeParticle(p);
  EXPECT_EQ(p.Outside, 1);
  EXPECT_EQ(p.Velocity.x, 0.05f);
  EXPECT_EQ(CubeShell.Counters[145], -3);
}

TEST_F(CubeShellTest, FarAwayParticleRestartsAtCentreWithItsVelocity) {
  const std::uint32_t start = RandomSource.State;
  Particle p = Inside({60.0f, 80.0f, 0.5f}, {0.03f, -0.04f, 0.05f});
  p.Outside = 1;
  StepCubeParticle(p);
  EXPECT_EQ(p.Outside, 0);
  EXPECT_EQ(p.Position.x, 0.03f);
  EXPECT_EQ(p.Position.y, -0.04f);
  EXPECT_EQ(p.Position.z, 0.05f);
  EXPECT_EQ(p.Velocity.x, 0.03f);
  EXPECT_EQ(DrawsSince(start), 0);

  // Exactly 100 away is not far enough.
  Particle edge = Inside({60.0f, 80.0f, 0.0f}, {0.01f, 0.0f, 0.0f});
  edge.Outside = 1;
  StepCubeParticle(edge);
  EXPECT_EQ(edge.Outside, 1);
  EXPECT_EQ(edge.Position.x, 60.01f);
}

TEST_F(CubeShellTest, ParticleLeftBeyondTheWallsBySphereStaysInItsFaces) {
  // Switching the container from sphere to cube can leave a particle with
  // Outside clear beyond the cube's walls; its cells must stay on the faces.
  Particle p = Inside({0.0f, -5.5f, 3.9f}, {0.0f, 0.0f, 0.0f});
  StepCubeParticle(p);
  EXPECT_EQ(CubeShell.Counters[256 + 8 * 7 + 4], -1);  // y = -4, cz 7, cx 4
  EXPECT_EQ(CubeShell.Counters[8 * 0 + 4], -1);        // z = +4, cy clamped to 0

  Particle q = Inside({7.5f, 6.0f, -7.0f}, {0.0f, 0.0f, 0.0f});
  StepCubeParticle(q);
  EXPECT_EQ(CubeShell.Counters[128 + 8 * 7 + 7], -1);  // x = +4, cy 7, cz 0
  EXPECT_EQ(CubeShell.Counters[320 + 8 * 0 + 7], -1);  // y = +4, cz 0, cx 7
  EXPECT_EQ(CubeShell.Counters[64 + 8 * 7 + 7], -1);   // z = -4
}

TEST_F(CubeShellTest, HealingDrawsOncePerBrokenSlotAndHealsAtNinetyFivePercent) {
  CubeShell.Counters[3] = -10;
  CubeShell.Counters[200] = -12;
  CubeShell.Counters[201] = -9;  // intact: no draw, never changed
  SeedSoNextDrawHeals(true);
  std::uint32_t start = RandomSource.State;
  RegenerateCubeShell();
  EXPECT_EQ(DrawsSince(start), 2);
  EXPECT_EQ(CubeShell.Counters[3], 0);
  EXPECT_EQ(CubeShell.Counters[201], -9);

  CubeShell.Counters[3] = -10;
  SeedSoNextDrawHeals(false);
  RegenerateCubeShell();
  EXPECT_EQ(CubeShell.Counters[3], -10);

  SaverSettings.Regeneration = 0;
  start = RandomSource.State;
  RegenerateCubeShell();
  EXPECT_EQ(DrawsSince(start), 0);
}

TEST_F(CubeShellTest, HandEditedPermeabilityNeverFaults) {
  // 0 or below: every cell is broken, particles pass the first face, every
  // slot draws in the healing pass. Not a number: every comparison fails.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct { float permeability; long healingDraws; std::uint8_t outside; } cases[] = {
      {0.0f, 500, 1}, {-4.0f, 500, 1}, {nan, 0, 1}};
  for (const auto& c : cases) {
    ResetScene();
    SaverSettings.Permeability = c.permeability;
    DeriveSceneParameters();
    Particle p = Inside({3.95f, 0.0f, 0.0f}, {0.05f, 0.0f, 0.0f});
    StepCubeParticle(p);
    EXPECT_EQ(p.Outside, c.outside);
    EXPECT_EQ(NonZeroCounters(), 0);
    const std::uint32_t start = RandomSource.State;
    RegenerateCubeShell();
    EXPECT_EQ(DrawsSince(start), c.healingDraws);
  }
}

TEST_F(CubeShellTest, CountersStopShortOfOverflowWithAHugePermeability) {
  // Only a hand-edited Permeability of 2^31 or more lets a counter get this
  // far; the particle keeps bouncing, the count stops at +-INT32_MAX.
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  SaverSettings.Permeability = 4294967296.0f;
  const struct { std::uint8_t decay; std::int32_t start, end; } cases[] = {
      {0, kMax - 1, kMax}, {1, -kMax + 1, -kMax}};
  for (const auto& c : cases) {
    SaverSettings.Decay = c.decay;
    DeriveSceneParameters();
    CubeShell.Counters[145] = c.start;
    for (int bounce = 0; bounce < 3; ++bounce) {
      Particle p = MovingTo({3.95f, -1.2f, 2.7f}, {0.05f, 0.0f, 0.0f});
      StepCubeParticle(p);
      EXPECT_EQ(p.Velocity.x, -0.05f) << "bounce " << bounce;
      EXPECT_EQ(p.Outside, 0);
    }
    EXPECT_EQ(CubeShell.Counters[145], c.end);
  }
}
