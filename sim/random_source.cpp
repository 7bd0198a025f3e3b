#include "sim/random_source.h"

#include <ctime>

RandomSourceState RandomSource = {1};

void SeedRandom(std::uint32_t value) { RandomSource.State = value; }

int NextRandom() {
  // Unsigned arithmetic wraps modulo 2^32, as the generator requires.
  RandomSource.State = RandomSource.State * 214013u + 2531011u;
  return static_cast<int>((RandomSource.State >> 16) & 0x7FFFu);
}

double UniformRandom() { return NextRandom() / 32768.0; }

void ReseedFromTime(std::uint32_t seconds) {
  SeedRandom(seconds);
  // k / 32768 * 10,000,000 is exact in double precision; the cast truncates.
  const double scaled = UniformRandom() * 10000000.0;
  SeedRandom(static_cast<std::uint32_t>(scaled));
}

void ReseedFromClock() {
  ReseedFromTime(static_cast<std::uint32_t>(std::time(nullptr)));
}
