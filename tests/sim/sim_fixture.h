// Shared set-up for the simulation tests: every test starts from the default
// settings, a known random state and empty shells, because the simulation
// works on process-wide records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "sim/sphere_shell.h"
#include "tests/support/random_draws.h"
#include "tests/support/scene_reset.h"

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetScene(); }

  // The state every test starts from; a test that tries several cases in
  // turn calls it again before each.
  static void ResetScene() { ResetSceneRecords(12345); }

  // How many NextRandom steps lead from state `from` to the current state;
  // -1 if it is not reached within `limit` steps. Leaves the state as it was.
  static long DrawsSince(std::uint32_t from, long limit = 1000000) {
    const std::uint32_t now = RandomSource.State;
    SeedRandom(from);
    long n = 0;
    while (RandomSource.State != now && n <= limit) {
      NextRandom();
      ++n;
    }
    SeedRandom(now);
    return n <= limit ? n : -1;
  }

  static Particle Inside(Vector3 position, Vector3 velocity) {
    Particle p{};
    p.Position = position;
    p.Velocity = velocity;
    return p;
  }
};
