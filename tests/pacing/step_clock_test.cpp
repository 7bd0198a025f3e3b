// The step clock with a clock the test moves by hand, as the two kinds of
// host ask it: animation callbacks at every refresh rate and frame rate, and
// frames that sleep until the next frame.
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

// What animation callbacks at `hz` from 0 to `seconds` did, each callback's
// timestamp off its vsync by up to `jitterMs` (a fixed pattern), under a
// frame-rate limit of `limit` (0: none).
struct CallbackRun {
  int steps = 0;      // taken in all
  int frames = 0;     // drawn
  int most = 0;       // the most steps one callback took
  int wrongSteps = 0;  // frames whose step was not floor(60 t), t from one period before the first
};

CallbackRun RunCallbacks(double hz, double seconds, double jitterMs, double limit = 0) {
  StepClock clock(kStepPeriod);
  clock.LimitFrameRate(limit);
  CallbackRun run;
  const int callbacks = static_cast<int>(hz * seconds) + 1;
  for (int i = 0; i < callbacks; ++i) {
    const double ms = 1000.0 * i / hz + jitterMs * std::sin(i * 1.7);
    const FrameSteps frame = clock.StepsDue(At(ms));
    run.steps += frame.Steps;
    run.most = std::max(run.most, frame.Steps);
    if (!frame.Draw) continue;
    ++run.frames;
    // A quarter step early counts (see step_clock.h).
    const double t = ms / 1000 + 1.0 / kStepsPerSecond;
    if (run.steps != static_cast<int>(std::floor(kStepsPerSecond * t + 0.25))) ++run.wrongSteps;
  }
  return run;
}

struct RefreshCase {
  double hz;
  int most;  // the most steps a callback takes
};

void PrintTo(const RefreshCase& c, std::ostream* out) { *out << c.hz << " Hz"; }

class StepClockAtRefreshRate : public testing::TestWithParam<RefreshCase> {};

// Whatever the display's refresh rate, the scene moves 60 steps a second:
// fast displays skip callbacks between steps, slow ones take several a
// callback; every step due is drawn.
TEST_P(StepClockAtRefreshRate, KeepsSixtyStepsASecond) {
  const RefreshCase c = GetParam();
  for (const double jitterMs : {0.0, 1.5}) {
    const CallbackRun run = RunCallbacks(c.hz, 10, jitterMs);
    // Step 1 at 0 s, then 60 a second.
    EXPECT_GE(run.steps, 600) << "jitter " << jitterMs << " ms";
    EXPECT_LE(run.steps, 601) << "jitter " << jitterMs << " ms";
    EXPECT_EQ(run.most, c.most) << "jitter " << jitterMs << " ms";
    EXPECT_EQ(run.frames, std::min(run.steps, static_cast<int>(c.hz * 10) + 1)) << "jitter " << jitterMs << " ms";
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
// floor(60 t) (a quarter step early counting), whether the frame rate is the
// display's, on time or up to 2 ms off, or a limit on a faster display.
TEST(StepClockFrames, AFrameAtTimeTShowsStepFloorSixtyT) {
  for (const double fps : {60.0, 40.0, 30.0, 24.0, 20.0, 15.0}) {
    for (const double jitterMs : {0.0, 2.0}) {
      const CallbackRun run = RunCallbacks(fps, 10, jitterMs);
      EXPECT_EQ(run.wrongSteps, 0) << fps << " Hz, jitter " << jitterMs << " ms";
      EXPECT_EQ(run.frames, static_cast<int>(fps * 10) + 1) << fps << " Hz, jitter " << jitterMs << " ms";
    }
  }
  for (const double hz : {60.0, 144.0}) {
    for (const double limit : {30.0, 24.0, 20.0, 15.0, 7.5}) {
      const CallbackRun run = RunCallbacks(hz, 10, 1.5, limit);
      EXPECT_EQ(run.wrongSteps, 0) << hz << " Hz, limit " << limit;
      EXPECT_GE(run.steps, 600) << hz << " Hz, limit " << limit;
      EXPECT_NEAR(run.frames, limit * 10, 1) << hz << " Hz, limit " << limit;
    }
  }
}

TEST(StepClockFrames, AFrameRateLimitDrawsEveryKthStepAndAnUnevenOneAlternates) {
  const double step = 1000.0 / kStepsPerSecond;
  StepClock clock(kStepPeriod);
  clock.LimitFrameRate(24);  // 2.5 steps a frame
  std::string pattern;
  for (int i = 0; i < 11; ++i) {
    const FrameSteps frame = clock.StepsDue(At(i * step));
    EXPECT_EQ(frame.Steps, 1);
    pattern += frame.Draw ? 'D' : '-';
  }
  EXPECT_EQ(pattern, "D--D-D--D-D");
  // A host slower than the limit draws at every frame and owes none.
  clock.LimitFrameRate(30);
  for (int i = 1; i <= 12; ++i) {
    const FrameSteps frame = clock.StepsDue(At(10 * step + i * 4 * step));
    EXPECT_EQ(frame.Steps, kMostStepsPerFrame);
    EXPECT_TRUE(frame.Draw);
  }
  const double back = 10 * step + 48 * step;
  EXPECT_FALSE(clock.StepsDue(At(back + step)).Draw);
  EXPECT_TRUE(clock.StepsDue(At(back + 2 * step)).Draw);
  // No limit (0, or 60 and more): every step drawn.
  int later = 3;
  for (const double none : {0.0, 60.0, 144.0}) {
    clock.LimitFrameRate(none);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(clock.StepsDue(At(back + later++ * step)).Draw) << none;
  }
}

TEST(StepClockFrames, AFrameTakesAtMostFourStepsAndAStallLeavesNoBacklog) {
  StepClock clock(kStepPeriod);
  EXPECT_EQ(clock.StepsDue(At(0)).Steps, 1);
  // 12 frames a second: four steps each, the most a frame takes.
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(clock.StepsDue(At(i * 1000.0 / 12)).Steps, kMostStepsPerFrame) << i;
  // A five-second stall: four steps, then the old pace from the new time, not
  // 300 steps of catching up on the 144 Hz callbacks that follow.
  EXPECT_EQ(clock.StepsDue(At(6000)).Steps, kMostStepsPerFrame);
  int steps = 0;
  for (int i = 1; i <= 144; ++i) {
    const int taken = clock.StepsDue(At(6000 + i * 1000.0 / 144)).Steps;
    EXPECT_LE(taken, 1);
    steps += taken;
  }
  EXPECT_GE(steps, 59);
  EXPECT_LE(steps, 60);
}

TEST(StepClockFrames, ALateFrameKeepsTheGrid) {
  const double step = 1000.0 / kStepsPerSecond;
  StepClock clock(kStepPeriod);
  EXPECT_EQ(clock.StepsDue(At(0)).Steps, 1);
  EXPECT_EQ(clock.StepsDue(At(step * 1.6)).Steps, 1);  // late by 0.6 of a step: the grid is kept
  EXPECT_EQ(clock.StepsDue(At(step * 1.8)).Steps, 1);  // so the next step comes early
  EXPECT_EQ(clock.StepsDue(At(step * 2.5)).Steps, 0);
  EXPECT_EQ(clock.StepsDue(At(step * 3)).Steps, 1);
  EXPECT_EQ(clock.StepsDue(At(step * 5.9)).Steps, 3);  // steps 4, 5 and 6
  const std::chrono::duration<double, std::milli> next = clock.NextFrameAt() - At(0);
  EXPECT_NEAR(next.count(), step * 7, 0.001);
}

TEST(StepClockFrames, RestartTakesOneStepAndDrawsItAndPeriodZeroOneEveryFrame) {
  StepClock clock(kStepPeriod);
  clock.LimitFrameRate(15);
  EXPECT_TRUE(clock.StepsDue(At(100)).Draw);
  EXPECT_EQ(clock.StepsDue(At(101)).Steps, 0);
  clock.Restart();
  const FrameSteps again = clock.StepsDue(At(102));
  EXPECT_EQ(again.Steps, 1);
  EXPECT_TRUE(again.Draw);
  // Paused or hidden for a while: one step, no jump, and the next frame
  // four steps on.
  clock.Restart();
  EXPECT_EQ(clock.StepsDue(At(60000)).Steps, 1);
  const FrameSteps next = clock.StepsDue(At(60000 + 1000.0 / 15));
  EXPECT_EQ(next.Steps, 4);
  EXPECT_TRUE(next.Draw);

  StepClock unpaced(MonotonicClock::duration::zero());
  unpaced.LimitFrameRate(30);
  for (int i = 0; i < 10; ++i) {
    const FrameSteps frame = unpaced.StepsDue(At(100 + i * 50.0));
    EXPECT_EQ(frame.Steps, 1);
    EXPECT_TRUE(frame.Draw);
  }
}

// Frames that take the given times, each started when the clock says and
// woken `wakeLate` after it.
struct SleepCase {
  const char* name;
  microseconds period;
  double limit;  // frames a second, 0 none
  std::vector<microseconds> frameTimes;
  microseconds wakeLate;
  std::vector<long> starts;  // the wakes' times after the first, in microseconds
  std::string steps;         // the steps each wake takes, and D where it draws
};

void PrintTo(const SleepCase& c, std::ostream* out) { *out << c.name; }

class StepClockSleeping : public testing::TestWithParam<SleepCase> {};

TEST_P(StepClockSleeping, WakesOnTheGrid) {
  const SleepCase& c = GetParam();
  StepClock clock(c.period);
  clock.LimitFrameRate(c.limit);
  std::vector<long> starts;
  std::string steps;
  MonotonicClock::time_point start = kStart;
  for (const microseconds frameTime : c.frameTimes) {
    starts.push_back(std::chrono::duration_cast<microseconds>(start - kStart).count());
    const FrameSteps frame = clock.StepsDue(start);
    steps += std::to_string(frame.Steps) + (frame.Draw ? "D" : "") + " ";
    const MonotonicClock::time_point end = start + (frame.Draw ? frameTime : microseconds(0));
    const MonotonicClock::time_point due = clock.NextFrameAt();
    start = due > end ? due + c.wakeLate : end;
  }
  EXPECT_EQ(starts, c.starts);
  EXPECT_EQ(steps, c.steps);
}

const milliseconds k2ms(2), k25ms(25), k40ms(40);
const microseconds k60Hz(16666);

INSTANTIATE_TEST_SUITE_P(
    Frames, StepClockSleeping,
    testing::Values(
        SleepCase{"QuickFramesStartOnAGridOfOnePeriod", k60Hz, 0, std::vector<microseconds>(5, milliseconds(5)), {},
                  {0, 16666, 33332, 49998, 66664}, "1D 1D 1D 1D 1D "},
        // Every wait ends 1 ms late; the frames still start every 10 ms on average.
        SleepCase{"WakingLateDoesNotSlowTheSceneDown", microseconds(10000), 0, std::vector<microseconds>(4, k2ms),
                  milliseconds(1), {0, 11000, 21000, 31000}, "1D 1D 1D 1D "},
        // The second frame takes 15 ms: the third starts at once, the fourth on the grid again.
        SleepCase{"AFrameOverItsTimeIsMadeUpByTheNext", microseconds(10000), 0,
                  {k2ms, milliseconds(15), k2ms, k2ms}, {}, {0, 10000, 25000, 30000}, "1D 1D 1D 1D "},
        // Frames of 25 ms on a grid of 10: each takes the steps that came meanwhile.
        SleepCase{"SlowFramesTakeTheStepsThatCameMeanwhile", microseconds(10000), 0,
                  std::vector<microseconds>(5, k25ms), {}, {0, 25000, 50000, 75000, 100000}, "1D 2D 3D 2D 3D "},
        // Three frames of 40 ms take four steps each, and after them the
        // frames come a period apart again instead of catching up.
        SleepCase{"ASlowStretchIsNotFollowedByABurst", microseconds(10000), 0,
                  {k40ms, k40ms, k40ms, k2ms, k2ms, k2ms}, {}, {0, 40000, 80000, 120000, 130000, 140000},
                  "1D 4D 4D 4D 1D 1D "},
        // --delay 33333: 30 frames a second, two steps each.
        SleepCase{"AtThirtyFramesASecondEachFrameTakesTwoSteps", k60Hz, 30, std::vector<microseconds>(4, k2ms), {},
                  {0, 33332, 66664, 99996}, "1D 2D 2D 2D "},
        // 10 frames a second: six steps a frame, four taken without drawing
        // at one wake and two more, drawn, at the next.
        SleepCase{"BelowFifteenFramesASecondItWakesToStepBetweenFrames", k60Hz, 10,
                  std::vector<microseconds>(5, k2ms), {}, {0, 66664, 99996, 166660, 199992}, "1D 4 2D 4 2D "},
        SleepCase{"PeriodZeroNeverWaits", microseconds(0), 0,
                  {microseconds(1), microseconds(300), microseconds(0), microseconds(7)}, {}, {0, 1, 301, 301},
                  "1D 1D 1D 1D "}),
    [](const testing::TestParamInfo<SleepCase>& info) { return std::string(info.param.name); });

TEST(StepClockFrames, ADelayIsTheTimeBetweenFramesNotBetweenSteps) {
  const double step = 1000.0 / kStepsPerSecond;
  // --delay 33333: two steps a frame; 16666, the default, and less: a step a frame.
  for (const auto& [delay, stepsPerFrame] : {std::pair{33333, 2}, {16666, 1}, {10000, 1}}) {
    StepClock clock = DelayStepClock(microseconds(delay));
    EXPECT_TRUE(clock.StepsDue(At(0)).Draw);
    int frames = 0, steps = 1;
    for (int i = 1; i <= 60; ++i) {
      const FrameSteps frame = clock.StepsDue(At(i * step));
      steps += frame.Steps;
      frames += frame.Draw ? 1 : 0;
    }
    EXPECT_EQ(steps, 61) << delay;
    EXPECT_EQ(frames, 60 / stepsPerFrame) << delay;
  }
  // 0: no pacing, a step and a frame at every call.
  StepClock unpaced = DelayStepClock(microseconds(0));
  for (int i = 0; i < 5; ++i) {
    const FrameSteps frame = unpaced.StepsDue(At(0.1 * i));
    EXPECT_EQ(frame.Steps, 1);
    EXPECT_TRUE(frame.Draw);
  }
}

}  // namespace
