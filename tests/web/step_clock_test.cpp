#include "web/step_clock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kStep = 1000.0 / 60;

// Steps taken by animation callbacks at `hz` for `seconds`, each callback's
// timestamp off its vsync by up to `jitterMs` (a fixed pattern).
int StepsAt(double hz, double seconds, double jitterMs = 0) {
  StepClock clock(kStep);
  int steps = 0;
  const int callbacks = static_cast<int>(hz * seconds);
  for (int i = 0; i < callbacks; ++i) {
    const double jitter = jitterMs * std::sin(i * 1.7);
    if (clock.StepDue(1000.0 + i * 1000.0 / hz + jitter)) ++steps;
  }
  return steps;
}

struct RefreshCase {
  double hz;
  int low, high;  // steps expected in 10 seconds
};

class StepClockAtRefreshRate : public testing::TestWithParam<RefreshCase> {};

// Whatever the display's refresh rate, the scene moves 60 steps a second;
// displays slower than that step on every callback.
TEST_P(StepClockAtRefreshRate, KeepsSixtyStepsASecondOrEveryCallback) {
  const RefreshCase c = GetParam();
  EXPECT_GE(StepsAt(c.hz, 10), c.low);
  EXPECT_LE(StepsAt(c.hz, 10), c.high);
  EXPECT_GE(StepsAt(c.hz, 10, 1.5), c.low);
  EXPECT_LE(StepsAt(c.hz, 10, 1.5), c.high);
}

INSTANTIATE_TEST_SUITE_P(Displays, StepClockAtRefreshRate,
                         testing::Values(RefreshCase{60, 599, 600}, RefreshCase{59.94, 598, 600},
                                         RefreshCase{75, 598, 601}, RefreshCase{90, 598, 601},
                                         RefreshCase{120, 598, 601}, RefreshCase{144, 598, 601},
                                         RefreshCase{240, 598, 601}, RefreshCase{30, 300, 300},
                                         RefreshCase{50, 500, 500}));

TEST(StepClock, NeverStepsTwiceForOneCallbackAndLeavesNoBacklog) {
  StepClock clock(kStep);
  EXPECT_TRUE(clock.StepDue(0));
  // A five-second stall: one step, then the old pace from the new time, not
  // 300 steps of catching up on the 144 Hz callbacks that follow.
  EXPECT_TRUE(clock.StepDue(5000));
  int steps = 0;
  for (int i = 1; i <= 144; ++i) steps += clock.StepDue(5000 + i * 1000.0 / 144) ? 1 : 0;
  EXPECT_GE(steps, 59);
  EXPECT_LE(steps, 60);
}

TEST(StepClock, MakesUpALagOfLessThanAPeriod) {
  StepClock clock(kStep);
  EXPECT_TRUE(clock.StepDue(0));
  EXPECT_TRUE(clock.StepDue(kStep * 1.8));   // late by 0.8 of a step: the grid is kept
  EXPECT_TRUE(clock.StepDue(kStep * 2.05));  // so the next step is due at once
  EXPECT_FALSE(clock.StepDue(kStep * 2.5));
  EXPECT_TRUE(clock.StepDue(kStep * 3));
}

TEST(StepClock, RestartStepsAtOnceAndZeroPeriodStepsEveryCallback) {
  StepClock clock(kStep);
  EXPECT_TRUE(clock.StepDue(100));
  EXPECT_FALSE(clock.StepDue(101));
  clock.Restart();
  EXPECT_TRUE(clock.StepDue(102));

  StepClock unpaced(0);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(unpaced.StepDue(100 + i * 0.1));
}

TEST(FrameRate, MeasuresEachSecondOfFrames) {
  FrameRate rate;
  EXPECT_STREQ(rate.Text(), "FPS: -");
  EXPECT_FALSE(rate.FrameDone(0));
  bool changed = false;
  for (int i = 1; i <= 60; ++i) changed = rate.FrameDone(i * 1000.0 / 60);
  EXPECT_TRUE(changed);
  EXPECT_STREQ(rate.Text(), "FPS: 60.0");
  for (int i = 1; i <= 30; ++i) changed = rate.FrameDone(1000 + i * 1000.0 / 30);
  EXPECT_STREQ(rate.Text(), "FPS: 30.0");
  rate.Restart();
  EXPECT_FALSE(rate.FrameDone(10000));  // a hidden spell is not counted as one slow frame
  EXPECT_STREQ(rate.Text(), "FPS: 30.0");
}

}  // namespace
