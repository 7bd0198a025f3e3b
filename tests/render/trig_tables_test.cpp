#include <gtest/gtest.h>

#include <cmath>

#include "render/trig_tables.h"

TEST(TrigTables, HoldNineSignificantDigitsOfEveryWholeDegree) {
  for (int k = 0; k < kTrigTableSize; ++k) {
    const double radians = k * M_PI / 180.0;
    const double s = std::sin(radians), c = std::cos(radians);
    // Nine significant digits: within half a unit of the ninth digit.
    EXPECT_NEAR(SineTable[k], s, std::fabs(s) * 5e-9 + 1e-300) << "sine " << k;
    EXPECT_NEAR(CosineTable[k], c, std::fabs(c) * 5e-9 + 1e-300) << "cosine " << k;
  }
}

TEST(TrigTables, ZerosKeepTheResidueOfDoubleArithmetic) {
  EXPECT_EQ(SineTable[0], 0.0);
  for (double residue : {SineTable[180], SineTable[360], CosineTable[90], CosineTable[270],
                         CosineTable[450]}) {
    EXPECT_NE(residue, 0.0);
    EXPECT_LT(std::fabs(residue), 1e-15);
  }
  EXPECT_EQ(SineTable[90], 1.0);
  EXPECT_EQ(CosineTable[180], -1.0);
}
