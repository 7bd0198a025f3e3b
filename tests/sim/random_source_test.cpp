#include "tests/sim/sim_fixture.h"

#include <algorithm>
#include <vector>

using RandomSourceTest = SimTest;

static std::vector<int> Draws(std::uint32_t seed, int count) {
  SeedRandom(seed);
  std::vector<int> out;
  for (int i = 0; i < count; ++i) out.push_back(NextRandom());
  return out;
}

TEST_F(RandomSourceTest, ReproducesTheKnownSequences) {
  EXPECT_EQ(Draws(1, 5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
  EXPECT_EQ(Draws(0, 3), (std::vector<int>{38, 7719, 21238}));
}

TEST_F(RandomSourceTest, StateWrapsModulo2To32) {
  SeedRandom(0xFFFFFFFFu);
  NextRandom();
  EXPECT_EQ(RandomSource.State, static_cast<std::uint32_t>(0xFFFFFFFFull * 214013u + 2531011u));
}

TEST_F(RandomSourceTest, UniformIsDrawOver32768AndNeverOne) {
  SeedRandom(77);
  const int k = NextRandom();
  SeedRandom(77);
  EXPECT_EQ(UniformRandom(), k / 32768.0);

  // The largest output, 32767, comes from a state whose bits 16..30 are set.
  SeedRandom(0);
  double largest = 0;
  for (int i = 0; i < 200000; ++i) largest = std::max(largest, UniformRandom());
  EXPECT_EQ(largest, 0.999969482421875);
}

TEST_F(RandomSourceTest, ReseedFromTimeGivesTheDocumentedSeeds) {
  ReseedFromTime(0);
  EXPECT_EQ(RandomSource.State, 11596u);  // k = 38
  ReseedFromTime(1000000000u);
  EXPECT_EQ(RandomSource.State, 5702514u);  // k = 18686
}

TEST_F(RandomSourceTest, SameSecondRestartsTheSameSequence) {
  ReseedFromTime(1700000000u);
  const std::vector<int> first = {NextRandom(), NextRandom(), NextRandom()};
  ReseedFromTime(1700000000u);
  EXPECT_EQ(first, (std::vector<int>{NextRandom(), NextRandom(), NextRandom()}));
  ReseedFromTime(1700000001u);
  EXPECT_NE(first, (std::vector<int>{NextRandom(), NextRandom(), NextRandom()}));
}

TEST_F(RandomSourceTest, ReseedAlwaysLandsBelowTenMillion) {
  for (std::uint32_t t : {0u, 1u, 12345u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    ReseedFromTime(t);
    EXPECT_LE(RandomSource.State, 9999694u) << "t = " << t;
  }
}
