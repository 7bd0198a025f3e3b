// Seeding the random source for a test that needs a particular next draw.
#pragma once

#include <cstdint>

#include "sim/random_source.h"

// Seeds RandomSource so that its next UniformRandom() is at least 0.95 (a
// broken cell that draws it heals) or, with heals false, below 0.95.
inline void SeedSoNextDrawHeals(bool heals) {
  for (std::uint32_t seed = 1;; ++seed) {
    SeedRandom(seed);
    if ((UniformRandom() >= 0.95) == heals) {
      SeedRandom(seed);
      return;
    }
  }
}
