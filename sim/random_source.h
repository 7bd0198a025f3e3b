// The program's one pseudo-random generator.
//
// A 32-bit linear congruential generator whose outputs are bits 16..30 of the
// state. The scene window reseeds it from the calendar second before every
// message, so all frames drawn within one second draw the same sequence.
#pragma once

#include <cstdint>

struct RandomSourceState {
  std::uint32_t State;
};

// The process-wide generator; its state is 1 when the process starts.
extern RandomSourceState RandomSource;

void SeedRandom(std::uint32_t value);

// Advances the state and returns a value in 0..32767.
int NextRandom();

// NextRandom() / 32768: a value in [0, 32767/32768], exact in single precision.
double UniformRandom();

// Seeds from the calendar time t (seconds since 1970, low 32 bits), takes one
// step, and reseeds with floor(k * 10,000,000 / 32768) of that step's output k.
void ReseedFromTime(std::uint32_t seconds);

// ReseedFromTime with the current calendar time.
void ReseedFromClock();
