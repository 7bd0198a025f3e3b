// The test clock's one rule: frame i of a scene started at second T is
// seeded from second T + i / 60, and a host that seeds its frames with
// SeedFrame ends where the headless tools' scenario (ombrel-sim,
// ombrel-frames) ends for the same clock and frames.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "options/scenario.h"
#include "sim/frame_seed.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"

namespace {

TEST(FrameSeed, FrameIShowsSecondTPlusIOverSixtyWrappingAt32Bits) {
  EXPECT_EQ(FrameSecond(1000, 0), 1000u);
  EXPECT_EQ(FrameSecond(1000, 59), 1000u);
  EXPECT_EQ(FrameSecond(1000, 60), 1001u);
  EXPECT_EQ(FrameSecond(1000, 3600 * 60 + 30), 4600u);
  EXPECT_EQ(FrameSecond(4294967295u, 120), 1u);
  EXPECT_EQ(FrameSecond(4294967295u, 4294967295ull * 60), 4294967294u);
  // The headless tools' --frames-per-second.
  EXPECT_EQ(FrameSecond(1000, 29, 30), 1000u);
  EXPECT_EQ(FrameSecond(1000, 30, 30), 1001u);
}

struct SceneState {
  ParticleSwarmArray Swarm;
  std::uint32_t Random;
  bool operator==(const SceneState& other) const {
    return std::memcmp(&Swarm, &other.Swarm, sizeof Swarm) == 0 && Random == other.Random;
  }
};

SceneState Now() { return {ParticleSwarm, RandomSource.State}; }

// What a host does for `frames` frames at clock `clock`.
SceneState HostFrames(std::uint32_t clock, std::uint32_t frames) {
  SaverSettings = kDefaultSettings;
  SaverSettings.SpawnPoints = 2050;
  SeedFrame(clock, 0);
  InitSceneData();
  for (std::uint32_t i = 0; i < frames; ++i) {
    SeedFrame(clock, i);
    SimulateFrame();
  }
  return Now();
}

// What ombrel-sim does for `--particles 2050 --clock T --frames-per-second K --frames F`.
SceneState ScenarioFrames(std::uint32_t clock, std::uint32_t framesPerSecond, std::uint32_t frames) {
  RunScenario({{ScenarioAction::kSetting, 0, "particles", "2050"},
               {ScenarioAction::kClock, clock, "", ""},
               {ScenarioAction::kFramesPerSecond, framesPerSecond, "", ""},
               {ScenarioAction::kFrames, frames, "", ""}},
              {InitSceneData, SimulateFrame});
  return Now();
}

// 61 frames: the last is the first of the next second, where a host that
// let seconds pass with real time (or counted none) would seed another.
TEST(FrameSeed, AHostsFramesAreTheScenariosFrames) {
  const std::uint32_t clock = 1700000000;
  const SceneState host = HostFrames(clock, 61);
  EXPECT_TRUE(host == ScenarioFrames(clock, 60, 61));
  EXPECT_FALSE(host == ScenarioFrames(clock, 1000, 61)) << "the 61st frame's second leaves a trace";
}

}  // namespace
