// The step clock with a clock the test moves by hand, as the two kinds of
// host ask it: animation callbacks at every refresh rate and frame rate, and
// frames that sleep until the next step; then the calendar second of a frame.
#include "pacing/step_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Steps taken by animation callbacks at `hz` from 0 to `seconds`, each
// callback's timestamp off its vsync by up to `jitterMs` (a fixed pattern);
// `most` is the most steps one callback took.
int StepsAt(double hz, double seconds, double jitterMs, int& most) {
  StepClock clock(kStepPeriod);
  int steps = 0;
  most = 0;
  const int callbacks = static_cast<int>(hz * seconds) + 1;
  for (int i = 0; i < callbacks; ++i) {
    const double jitter = jitterMs * std::sin(i * 1.7);
    const int taken = clock.StepsDue(At(1000.0 + i * 1000.0 / hz + jitter));
    steps += taken;
    most = std::max(most, taken);
  }
  return steps;
}

struct RefreshCase {
  double hz;
  int most;  // the most steps a callback takes
};

void PrintTo(const RefreshCase& c, std::ostream* out) { *out << c.hz << " Hz"; }

class StepClockAtRefreshRate : public testing::TestWithParam<RefreshCase> {};

// Whatever the display's refresh rate, the scene moves 60 steps a second:
// fast displays skip callbacks between steps, slow ones take several a
// callback.
TEST_P(StepClockAtRefreshRate, KeepsSixtyStepsASecond) {
  const RefreshCase c = GetParam();
  for (const double jitterMs : {0.0, 1.5}) {
    int most = 0;
    const int steps = StepsAt(c.hz, 10, jitterMs, most);
    // Step 1 at 0 s, then 60 a second.
    EXPECT_GE(steps, 600) << "jitter " << jitterMs << " ms";
    EXPECT_LE(steps, 601) << "jitter " << jitterMs << " ms";
    EXPECT_EQ(most, c.most) << "jitter " << jitterMs << " ms";
  }
}

INSTANTIATE_TEST_SUITE_P(Displays, StepClockAtRefreshRate,
                         testing::Values(RefreshCase{60, 1}, RefreshCase{59.94, 1}, RefreshCase{75, 1},
                                         RefreshCase{90, 1}, RefreshCase{120, 1}, RefreshCase{144, 1},
                                         RefreshCase{240, 1}, RefreshCase{50, 2}, RefreshCase{40, 2},
                                         RefreshCase{30, 2}, RefreshCase{20, 3}, RefreshCase{15, 4}),
                         [](const testing::TestParamInfo<RefreshCase>& info) {
                           // "At144Hz", "At59_94Hz"
                           std::string hz = testing::PrintToString(info.param.hz);
                           for (char& c : hz)
                             if (c == '.') c = '_';
                           return "At" + hz + "Hz";
                         });

// The rule the headless tools' frames follow: a frame drawn t seconds after
// the grid's origin (one period before the first frame) shows step
// floor(60 t), at every frame rate, on time or up to 2 ms off.
TEST(StepClockFrames, AFrameAtTimeTShowsStepFloorSixtyT) {
  for (const double fps : {60.0, 40.0, 30.0, 24.0, 20.0, 15.0}) {
    for (const double jitterMs : {0.0, 2.0}) {
      StepClock clock(kStepPeriod);
      long shown = 0;
      for (int frame = 0; frame < 10 * fps; ++frame) {
        const double seconds = frame / fps;
        shown += clock.StepsDue(At(1000.0 * seconds + jitterMs * std::sin(frame * 2.3)));
        const double t = seconds + 1.0 / kStepsPerSecond;
        ASSERT_EQ(shown, static_cast<long>(std::floor(kStepsPerSecond * t + 1e-9)))
            << fps << " frames a second, frame " << frame << ", jitter " << jitterMs << " ms";
      }
    }
  }
}

TEST(StepClockFrames, AFrameTakesAtMostFourStepsAndAStallLeavesNoBacklog) {
  StepClock clock(kStepPeriod);
  EXPECT_EQ(clock.StepsDue(At(0)), 1);
  // 12 frames a second: four steps each, the most a frame takes.
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(clock.StepsDue(At(i * 1000.0 / 12)), kMostStepsPerFrame) << i;
  // A five-second stall: four steps, then the old pace from the new time, not
  // 300 steps of catching up on the 144 Hz callbacks that follow.
  EXPECT_EQ(clock.StepsDue(At(6000)), kMostStepsPerFrame);
  int steps = 0;
  for (int i = 1; i <= 144; ++i) {
    const int taken = clock.StepsDue(At(6000 + i * 1000.0 / 144));
    EXPECT_LE(taken, 1);
    steps += taken;
  }
  EXPECT_GE(steps, 59);
  EXPECT_LE(steps, 60);
}

TEST(StepClockFrames, ALateFrameKeepsTheGrid) {
  const double step = 1000.0 / kStepsPerSecond;
  StepClock clock(kStepPeriod);
  EXPECT_EQ(clock.StepsDue(At(0)), 1);
  EXPECT_EQ(clock.StepsDue(At(step * 1.6)), 1);  // late by 0.6 of a step: the grid is kept
  EXPECT_EQ(clock.StepsDue(At(step * 1.8)), 1);  // so the next step comes early
  EXPECT_EQ(clock.StepsDue(At(step * 2.5)), 0);
  EXPECT_EQ(clock.StepsDue(At(step * 3)), 1);
  EXPECT_EQ(clock.StepsDue(At(step * 5.9)), 3);  // steps 4, 5 and 6
  const std::chrono::duration<double, std::milli> next = clock.NextStepAt() - At(0);
  EXPECT_NEAR(next.count(), step * 7, 0.001);
}

TEST(StepClockFrames, RestartTakesOneStepAndPeriodZeroOneEveryFrame) {
  StepClock clock(kStepPeriod);
  EXPECT_EQ(clock.StepsDue(At(100)), 1);
  EXPECT_EQ(clock.StepsDue(At(101)), 0);
  clock.Restart();
  EXPECT_EQ(clock.StepsDue(At(102)), 1);
  // Paused or hidden for a while: one step, no jump.
  clock.Restart();
  EXPECT_EQ(clock.StepsDue(At(60000)), 1);
  EXPECT_EQ(clock.StepsDue(At(60000 + 1000.0 / 30)), 2);

  StepClock unpaced(MonotonicClock::duration::zero());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(unpaced.StepsDue(At(100 + i * 50.0)), 1);
}

// Frames that take the given times, each started when the clock says and
// woken `wakeLate` after it.
struct SleepCase {
  const char* name;
  microseconds period;
  std::vector<microseconds> frameTimes;
  microseconds wakeLate;
  std::vector<long> starts;  // the frames' start times after the first, in microseconds
  std::vector<int> steps;    // the steps each frame takes
};

void PrintTo(const SleepCase& c, std::ostream* out) { *out << c.name; }

class StepClockSleeping : public testing::TestWithParam<SleepCase> {};

TEST_P(StepClockSleeping, StartsFramesOnTheGrid) {
  const SleepCase& c = GetParam();
  StepClock clock(c.period);
  std::vector<long> starts;
  std::vector<int> steps;
  MonotonicClock::time_point start = kStart;
  for (const microseconds frameTime : c.frameTimes) {
    starts.push_back(std::chrono::duration_cast<microseconds>(start - kStart).count());
    steps.push_back(clock.StepsDue(start));
    const MonotonicClock::time_point end = start + frameTime;
    const MonotonicClock::time_point due = clock.NextStepAt();
    start = due > end ? due + c.wakeLate : end;
  }
  EXPECT_EQ(starts, c.starts);
  EXPECT_EQ(steps, c.steps);
}

const milliseconds k2ms(2), k25ms(25), k40ms(40);

INSTANTIATE_TEST_SUITE_P(
    Frames, StepClockSleeping,
    testing::Values(
        SleepCase{"QuickFramesStartOnAGridOfOnePeriod", microseconds(16666),
                  std::vector<microseconds>(5, milliseconds(5)), {}, {0, 16666, 33332, 49998, 66664},
                  {1, 1, 1, 1, 1}},
        // Every wait ends 1 ms late; the frames still start every 10 ms on average.
        SleepCase{"WakingLateDoesNotSlowTheSceneDown", microseconds(10000),
                  std::vector<microseconds>(4, k2ms), milliseconds(1), {0, 11000, 21000, 31000}, {1, 1, 1, 1}},
        // The second frame takes 15 ms: the third starts at once, the fourth on the grid again.
        SleepCase{"AFrameOverItsTimeIsMadeUpByTheNext", microseconds(10000),
                  {k2ms, milliseconds(15), k2ms, k2ms}, {}, {0, 10000, 25000, 30000}, {1, 1, 1, 1}},
        // Frames of 25 ms on a grid of 10: each takes the steps that came meanwhile.
        SleepCase{"SlowFramesTakeTheStepsThatCameMeanwhile", microseconds(10000),
                  std::vector<microseconds>(5, k25ms), {}, {0, 25000, 50000, 75000, 100000}, {1, 2, 3, 2, 3}},
        // Three frames of 40 ms take four steps each, and after them the
        // frames come a period apart again instead of catching up.
        SleepCase{"ASlowStretchIsNotFollowedByABurst", microseconds(10000),
                  {k40ms, k40ms, k40ms, k2ms, k2ms, k2ms}, {}, {0, 40000, 80000, 120000, 130000, 140000},
                  {1, 4, 4, 4, 1, 1}},
        SleepCase{"PeriodZeroNeverWaits", microseconds(0),
                  {microseconds(1), microseconds(300), microseconds(0), microseconds(7)}, {}, {0, 1, 301, 301},
                  {1, 1, 1, 1}}),
    [](const testing::TestParamInfo<SleepCase>& info) { return std::string(info.param.name); });

TEST(CalendarSecond, StartPlusWholeSecondsElapsedWrappingAt32Bits) {
  EXPECT_EQ(CalendarSecondAt(1000, milliseconds(0)), 1000u);
  EXPECT_EQ(CalendarSecondAt(1000, milliseconds(999)), 1000u);
  EXPECT_EQ(CalendarSecondAt(1000, milliseconds(1000)), 1001u);
  EXPECT_EQ(CalendarSecondAt(1000, std::chrono::hours(1) + milliseconds(500)), 4600u);
  EXPECT_EQ(CalendarSecondAt(4294967295u, std::chrono::seconds(2)), 1u);
  // Frames counted as steps, 60 a second, as ombrel-frames counts them.
  EXPECT_EQ(CalendarSecondAt(1000, Steps(59)), 1000u);
  EXPECT_EQ(CalendarSecondAt(1000, Steps(60)), 1001u);
  EXPECT_EQ(CalendarSecondAt(1000, Steps(3600 * 60 + 30)), 4600u);
  EXPECT_EQ(CalendarSecondAt(4294967295u, Steps(4294967295ull * 60)), 4294967294u);
}

}  // namespace
