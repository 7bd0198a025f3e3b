// Frame timing with a clock the test moves by hand: the grid of frame starts,
// late frames, no pacing, the calendar second of a frame and the frame rate.
#include <gtest/gtest.h>

#include <vector>

#include "x11/frame_pacer.h"

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

const Clock::time_point kStart = Clock::time_point() + std::chrono::hours(1);

// Runs frames that take the given times, each starting when the pacer says;
// returns the frames' start times relative to kStart, in microseconds.
std::vector<long> FrameStarts(FramePacer& pacer, const std::vector<microseconds>& frameTimes,
                              microseconds wakeLate = microseconds(0)) {
  std::vector<long> starts;
  Clock::time_point start = kStart;
  pacer.Start(start);
  for (const microseconds frameTime : frameTimes) {
    starts.push_back(std::chrono::duration_cast<microseconds>(start - kStart).count());
    const Clock::time_point end = start + frameTime;
    const Clock::time_point due = pacer.NextFrameAt(end);
    EXPECT_GE(due, end) << "never due before the frame has ended";
    start = due > end ? due + wakeLate : end;
  }
  return starts;
}

TEST(FramePacer, QuickFramesStartOnAGridOfOnePeriod) {
  FramePacer pacer(microseconds(16666));
  EXPECT_EQ(FrameStarts(pacer, std::vector<microseconds>(5, milliseconds(5))),
            (std::vector<long>{0, 16666, 33332, 49998, 66664}));
}

TEST(FramePacer, WakingLateFromAWaitDoesNotSlowTheSceneDown) {
  FramePacer pacer(microseconds(10000));
  // Every wait ends 1 ms late; the frames still start every 10 ms on average.
  EXPECT_EQ(FrameStarts(pacer, std::vector<microseconds>(4, milliseconds(2)), milliseconds(1)),
            (std::vector<long>{0, 11000, 21000, 31000}));
}

TEST(FramePacer, AFrameOverItsTimeIsMadeUpByTheNext) {
  FramePacer pacer(microseconds(10000));
  // The second frame takes 15 ms: the third starts at once, the fourth on the grid again.
  EXPECT_EQ(FrameStarts(pacer, {milliseconds(2), milliseconds(15), milliseconds(2), milliseconds(2)}),
            (std::vector<long>{0, 10000, 25000, 30000}));
}

TEST(FramePacer, ASlowStretchIsNotFollowedByABurst) {
  FramePacer pacer(microseconds(10000));
  // Three frames of 40 ms leave the scene 90 ms behind the grid; after them the
  // frames come a period apart again instead of catching up.
  const std::vector<long> starts = FrameStarts(
      pacer, {milliseconds(40), milliseconds(40), milliseconds(40), milliseconds(2), milliseconds(2),
              milliseconds(2)});
  EXPECT_EQ(starts, (std::vector<long>{0, 40000, 80000, 120000, 130000, 140000}));
}

TEST(FramePacer, ASlowMachineRunsAsFastAsItCan) {
  FramePacer pacer(microseconds(16666));
  const std::vector<long> starts = FrameStarts(pacer, std::vector<microseconds>(4, milliseconds(20)));
  EXPECT_EQ(starts, (std::vector<long>{0, 20000, 40000, 60000}));
}

TEST(FramePacer, PeriodZeroNeverWaits) {
  FramePacer pacer(Clock::duration::zero());
  EXPECT_EQ(FrameStarts(pacer, {microseconds(1), microseconds(300), microseconds(0), microseconds(7)}),
            (std::vector<long>{0, 1, 301, 301}));
}

TEST(CalendarSecond, StartPlusWholeSecondsElapsedWrappingAt32Bits) {
  EXPECT_EQ(CalendarSecondAt(1000, milliseconds(0)), 1000u);
  EXPECT_EQ(CalendarSecondAt(1000, milliseconds(999)), 1000u);
  EXPECT_EQ(CalendarSecondAt(1000, milliseconds(1000)), 1001u);
  EXPECT_EQ(CalendarSecondAt(1000, std::chrono::hours(1) + milliseconds(500)), 4600u);
  EXPECT_EQ(CalendarSecondAt(4294967295u, std::chrono::seconds(2)), 1u);
}

TEST(FpsCounter, ShowsTheRateOfEachSecondOnceOneHasPassed) {
  FpsCounter fps;
  EXPECT_EQ(fps.Text(), "FPS: -");
  Clock::time_point now = kStart;
  fps.FrameDone(now);
  for (int frame = 1; frame < 50; ++frame) fps.FrameDone(now += milliseconds(20));
  EXPECT_EQ(fps.Text(), "FPS: -") << "49 frames in 0.98 s: not a second yet";
  fps.FrameDone(now += milliseconds(20));
  EXPECT_EQ(fps.Text(), "FPS: 50.0");
  for (int frame = 0; frame < 25; ++frame) fps.FrameDone(now += milliseconds(40));
  EXPECT_EQ(fps.Text(), "FPS: 25.0");
  fps.FrameDone(now += milliseconds(3000));
  EXPECT_EQ(fps.Text(), "FPS: 0.3") << "one frame after a three-second stall";
}

}  // namespace
