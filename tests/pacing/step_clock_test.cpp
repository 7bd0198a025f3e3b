// The step clock with a clock the test moves by hand, as the two kinds of
// host ask it: animation callbacks at every refresh rate, and frames that
// sleep until the next step; then the calendar second of a frame.
#include "pacing/step_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

const MonotonicClock::time_point kStart = MonotonicClock::time_point() + std::chrono::hours(1);

// A callback's timestamp in milliseconds, as the page gets it.
MonotonicClock::time_point At(double ms) { return AtMilliseconds(1000.0 * 3600 + ms); }

// Steps taken by animation callbacks at `hz` for `seconds`, each callback's
// timestamp off its vsync by up to `jitterMs` (a fixed pattern).
int StepsAt(double hz, double seconds, double jitterMs = 0) {
  StepClock clock(kStepPeriod);
  int steps = 0;
  const int callbacks = static_cast<int>(hz * seconds);
  for (int i = 0; i < callbacks; ++i) {
    const double jitter = jitterMs * std::sin(i * 1.7);
    if (clock.StepDue(At(1000.0 + i * 1000.0 / hz + jitter))) ++steps;
  }
  return steps;
}

struct RefreshCase {
  double hz;
  int low, high;  // steps expected in 10 seconds
};

void PrintTo(const RefreshCase& c, std::ostream* out) { *out << c.hz << " Hz"; }

class StepClockAtRefreshRate : public testing::TestWithParam<RefreshCase> {};

// Whatever the display's refresh rate, the scene moves 60 steps a second;
// displays slower than that step on every callback.
TEST_P(StepClockAtRefreshRate, KeepsSixtyStepsASecondOrEveryCallback) {
  const RefreshCase c = GetParam();
  for (const double jitterMs : {0.0, 1.5}) {
    const int steps = StepsAt(c.hz, 10, jitterMs);
    EXPECT_GE(steps, c.low) << "jitter " << jitterMs << " ms";
    EXPECT_LE(steps, c.high) << "jitter " << jitterMs << " ms";
  }
}

INSTANTIATE_TEST_SUITE_P(Displays, StepClockAtRefreshRate,
                         testing::Values(RefreshCase{60, 599, 600}, RefreshCase{59.94, 598, 600},
                                         RefreshCase{75, 598, 601}, RefreshCase{90, 598, 601},
                                         RefreshCase{120, 598, 601}, RefreshCase{144, 598, 601},
                                         RefreshCase{240, 598, 601}, RefreshCase{30, 300, 300},
                                         RefreshCase{50, 500, 500}),
                         [](const testing::TestParamInfo<RefreshCase>& info) {
                           // "At144Hz", "At59_94Hz"
                           std::string hz = testing::PrintToString(info.param.hz);
                           for (char& c : hz)
                             if (c == '.') c = '_';
                           return "At" + hz + "Hz";
                         });

TEST(StepClockCallbacks, NeverStepTwiceForOneCallbackAndLeaveNoBacklog) {
  StepClock clock(kStepPeriod);
  EXPECT_TRUE(clock.StepDue(At(0)));
  // A five-second stall: one step, then the old pace from the new time, not
  // 300 steps of catching up on the 144 Hz callbacks that follow.
  EXPECT_TRUE(clock.StepDue(At(5000)));
  int steps = 0;
  for (int i = 1; i <= 144; ++i) steps += clock.StepDue(At(5000 + i * 1000.0 / 144)) ? 1 : 0;
  EXPECT_GE(steps, 59);
  EXPECT_LE(steps, 60);
}

TEST(StepClockCallbacks, MakeUpALagOfLessThanAPeriod) {
  const double step = 1000.0 / kStepsPerSecond;
  StepClock clock(kStepPeriod);
  EXPECT_TRUE(clock.StepDue(At(0)));
  EXPECT_TRUE(clock.StepDue(At(step * 1.8)));   // late by 0.8 of a step: the grid is kept
  EXPECT_TRUE(clock.StepDue(At(step * 2.05)));  // so the next step is due at once
  EXPECT_FALSE(clock.StepDue(At(step * 2.5)));
  EXPECT_TRUE(clock.StepDue(At(step * 3)));
}

TEST(StepClockCallbacks, RestartStepsAtOnceAndPeriodZeroStepsEveryCallback) {
  StepClock clock(kStepPeriod);
  EXPECT_TRUE(clock.StepDue(At(100)));
  EXPECT_FALSE(clock.StepDue(At(101)));
  clock.Restart();
  EXPECT_TRUE(clock.StepDue(At(102)));

  StepClock unpaced(MonotonicClock::duration::zero());
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(unpaced.StepDue(At(100 + i * 0.1)));
}

// Frames that take the given times, each started when the clock says and
// woken `wakeLate` after it.
struct SleepCase {
  const char* name;
  microseconds period;
  std::vector<microseconds> frameTimes;
  microseconds wakeLate;
  std::vector<long> starts;  // the frames' start times after the first, in microseconds
};

void PrintTo(const SleepCase& c, std::ostream* out) { *out << c.name; }

class StepClockSleeping : public testing::TestWithParam<SleepCase> {};

TEST_P(StepClockSleeping, StartsFramesOnTheGrid) {
  const SleepCase& c = GetParam();
  StepClock clock(c.period);
  std::vector<long> starts;
  MonotonicClock::time_point start = kStart;
  for (const microseconds frameTime : c.frameTimes) {
    starts.push_back(std::chrono::duration_cast<microseconds>(start - kStart).count());
    clock.Step(start);
    const MonotonicClock::time_point end = start + frameTime;
    const MonotonicClock::time_point due = clock.NextStepAt();
    start = due > end ? due + c.wakeLate : end;
  }
  EXPECT_EQ(starts, c.starts);
}

const milliseconds k2ms(2), k40ms(40);

INSTANTIATE_TEST_SUITE_P(
    Frames, StepClockSleeping,
    testing::Values(
        SleepCase{"QuickFramesStartOnAGridOfOnePeriod", microseconds(16666),
                  std::vector<microseconds>(5, milliseconds(5)), {}, {0, 16666, 33332, 49998, 66664}},
        // Every wait ends 1 ms late; the frames still start every 10 ms on average.
        SleepCase{"WakingLateDoesNotSlowTheSceneDown", microseconds(10000),
                  std::vector<microseconds>(4, k2ms), milliseconds(1), {0, 11000, 21000, 31000}},
        // The second frame takes 15 ms: the third starts at once, the fourth on the grid again.
        SleepCase{"AFrameOverItsTimeIsMadeUpByTheNext", microseconds(10000),
                  {k2ms, milliseconds(15), k2ms, k2ms}, {}, {0, 10000, 25000, 30000}},
        // Three frames of 40 ms leave the scene 90 ms behind the grid; after
        // them the frames come a period apart again instead of catching up.
        SleepCase{"ASlowStretchIsNotFollowedByABurst", microseconds(10000),
                  {k40ms, k40ms, k40ms, k2ms, k2ms, k2ms}, {}, {0, 40000, 80000, 120000, 130000, 140000}},
        SleepCase{"ASlowMachineRunsAsFastAsItCan", microseconds(16666),
                  std::vector<microseconds>(4, milliseconds(20)), {}, {0, 20000, 40000, 60000}},
        SleepCase{"PeriodZeroNeverWaits", microseconds(0),
                  {microseconds(1), microseconds(300), microseconds(0), microseconds(7)}, {}, {0, 1, 301, 301}}),
    [](const testing::TestParamInfo<SleepCase>& info) { return std::string(info.param.name); });

}  // namespace
