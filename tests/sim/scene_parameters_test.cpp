#include "tests/sim/sim_fixture.h"

#include <cmath>
#include <limits>

using SceneParametersTest = SimTest;

TEST_F(SceneParametersTest, CounterStepFollowsDecay) {
  SaverSettings.Decay = 1;
  DeriveSceneParameters();
  EXPECT_EQ(CounterStep, -1);
  SaverSettings.Decay = 0;
  DeriveSceneParameters();
  EXPECT_EQ(CounterStep, +1);
}

TEST_F(SceneParametersTest, AlphaScaleIsSinglePrecisionQuotient) {
  const struct { float permeability; double alpha; } cases[] = {
      {10.0f, 0.06000000238418579},
      {1.0f, 0.6000000238418579},
      {21.0f, 0.02857143059372902},
  };
  for (const auto& c : cases) {
    SaverSettings.Permeability = c.permeability;
    DeriveSceneParameters();
    EXPECT_EQ(static_cast<double>(AlphaScale), c.alpha) << "Permeability " << c.permeability;
  }
}

TEST_F(SceneParametersTest, HandEditedPermeabilityKeepsAlphaScaleFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float tiny = std::numeric_limits<float>::denorm_min();
  for (float p : {0.0f, -0.0f, -3.0f, nan, tiny, 0.5f, -std::numeric_limits<float>::infinity()}) {
    SaverSettings.Permeability = p;
    DeriveSceneParameters();
    EXPECT_TRUE(std::isfinite(AlphaScale)) << "Permeability " << p;
    EXPECT_EQ(AlphaScale, 0.6f) << "Permeability " << p;
  }
  // The setting itself is left as stored: the simulation compares with it.
  EXPECT_TRUE(std::isinf(SaverSettings.Permeability));

  SaverSettings.Permeability = 4294967296.0f;  // all bits of a stored value set
  DeriveSceneParameters();
  EXPECT_GT(AlphaScale, 0.0f);
  EXPECT_TRUE(std::isfinite(AlphaScale));
}

TEST_F(SceneParametersTest, DefaultsAreCubeDecayRegenerationTenAnd250) {
  EXPECT_EQ(kDefaultSettings.ObjectType, 1);
  EXPECT_EQ(kDefaultSettings.Decay, 1);
  EXPECT_EQ(kDefaultSettings.Regeneration, 1);
  EXPECT_EQ(kDefaultSettings.Permeability, 10.0f);
  EXPECT_EQ(kDefaultSettings.SpawnPoints, 250.0f);
  EXPECT_EQ(kDefaultSettings.Resolution, 0);
}
