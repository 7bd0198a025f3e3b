// Real frames from Mesa's software renderer, checked for what a person sees.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "headless/offscreen_context.h"

namespace {

constexpr int kSize = 256;

struct Pixel {
  int r, g, b;
};

class PixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(context_.Create(kSize, kSize, error)) << error;
    ViewportYOffset = 0;
    SaverSettings = kDefaultSettings;
    DeriveSceneParameters();
    ReseedFromTime(1000);
    StartScene(kSize, kSize);
  }

  // Draws one frame with the settings in force and reads it back.
  void Render() {
    DeriveSceneParameters();
    RenderFrame();
    pixels_ = context_.ReadRgb();
  }

  Pixel At(int row, int column) const {
    const std::uint8_t* p = &pixels_[3 * (row * kSize + column)];
    return {p[0], p[1], p[2]};
  }

  int LitPixels() const {
    int n = 0;
    for (int row = 0; row < kSize; ++row)
      for (int column = 0; column < kSize; ++column) {
        const Pixel p = At(row, column);
        n += p.r + p.g + p.b > 0;
      }
    return n;
  }

  // The centre of the box around every lit pixel, in image rows and columns.
  void LitCentre(double& row, double& column) const {
    int top = kSize, bottom = -1, left = kSize, right = -1;
    for (int r = 0; r < kSize; ++r)
      for (int c = 0; c < kSize; ++c) {
        const Pixel p = At(r, c);
        if (p.r + p.g + p.b == 0) continue;
        top = std::min(top, r), bottom = std::max(bottom, r);
        left = std::min(left, c), right = std::max(right, c);
      }
    row = (top + bottom) / 2.0;
    column = (left + right) / 2.0;
  }

  // Puts particle i outside the container, still, z units towards the eye.
  static void StillOutside(int i, float z) {
    Particle& p = ParticleSwarm.Particles[i];
    p.Outside = 1;
    p.Position = {0.0f, 0.0f, z};
    p.Velocity = {0.0f, 0.0f, 0.0f};
  }

  void UseGrowthCube() {
    SaverSettings.Decay = 0;
    InitCubeShell();  // growth cells start invisible
  }

  OffscreenContext context_;
  std::vector<std::uint8_t> pixels_;
};

TEST_F(PixelTest, EmptyGrowthCubeLeavesTheScreenBlack) {
  UseGrowthCube();
  SaverSettings.SpawnPoints = 0.0f;
  Render();
  EXPECT_EQ(LitPixels(), 0);
}

TEST_F(PixelTest, DecayCubeIsVisibleFromTheStart) {
  SaverSettings.SpawnPoints = 0.0f;
  Render();
  EXPECT_GT(LitPixels(), kSize * kSize / 10);
  EXPECT_EQ(At(0, 0).r + At(0, 0).g + At(0, 0).b, 0) << "the corner is background";
}

TEST_F(PixelTest, GrowthCubeShowsOnlyWhereParticlesStruck) {
  UseGrowthCube();
  SaverSettings.SpawnPoints = 0.0f;
  CubeShell.Counters[8 * 4 + 4] = 5;  // one struck cell of the z = +4 face
  Render();
  const int lit = LitPixels();
  EXPECT_GT(lit, 0);
  EXPECT_LT(lit, kSize * kSize / 20);
}

TEST_F(PixelTest, SpriteAddsItsYellowGreenOverBlack) {
  UseGrowthCube();
  SaverSettings.SpawnPoints = 1.0f;
  StillOutside(0, 27.0f);  // two units in front of the eye: a large sprite
  Render();
  const Pixel centre = At(kSize / 2, kSize / 2);
  // (0.65, 0.85, 0) at the texture's peak alpha.
  EXPECT_NEAR(centre.r, 0.65 * 255, 12);
  EXPECT_NEAR(centre.g, 0.85 * 255, 12);
  EXPECT_EQ(centre.b, 0);
  EXPECT_NEAR(double(centre.r) / centre.g, 0.65 / 0.85, 0.02);
  // The cone falls off towards the sprite's edge, over a black background.
  const Pixel side = At(kSize / 2, kSize / 2 + 10);
  EXPECT_LT(side.g, centre.g);
  EXPECT_EQ(At(5, 5).g, 0);

  // A second sprite on the same spot adds to the first.
  SaverSettings.SpawnPoints = 2.0f;
  StillOutside(1, 27.0f);
  Render();
  EXPECT_GT(At(kSize / 2, kSize / 2 + 10).g, side.g);
}

TEST_F(PixelTest, SceneIsCentredAndViewportOffsetLiftsIt) {
  SaverSettings.ObjectType = kSphereObject;  // symmetric about the view axis
  SaverSettings.SpawnPoints = 0.0f;
  Render();
  double row = 0, column = 0;
  LitCentre(row, column);
  EXPECT_NEAR(row, (kSize - 1) / 2.0, 1.5);
  EXPECT_NEAR(column, (kSize - 1) / 2.0, 1.5);

  ViewportYOffset = 20;
  SetProjection(kSize, kSize);
  Render();
  double liftedRow = 0, liftedColumn = 0;
  LitCentre(liftedRow, liftedColumn);
  EXPECT_NEAR(liftedRow, row - 20, 1.5);  // image rows count downwards
  EXPECT_NEAR(liftedColumn, column, 1.5);
}

}  // namespace
