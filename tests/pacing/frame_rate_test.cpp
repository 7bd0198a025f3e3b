// The frame-rate counter with a clock the test moves by hand.
#include "pacing/frame_rate.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

TEST(FrameRate, ShowsTheRateOfEachSecondOnceOneHasPassed) {
  FrameRate rate;
  EXPECT_STREQ(rate.Text(), "FPS: -");
  MonotonicClock::time_point now = MonotonicClock::time_point() + std::chrono::hours(1);
  EXPECT_FALSE(rate.FrameDone(now)) << "the first frame only starts the count";
  for (int frame = 1; frame < 50; ++frame) EXPECT_FALSE(rate.FrameDone(now += milliseconds(20)));
  EXPECT_STREQ(rate.Text(), "FPS: -") << "49 frames in 0.98 s: not a second yet";
  EXPECT_TRUE(rate.FrameDone(now += milliseconds(20)));
  EXPECT_STREQ(rate.Text(), "FPS: 50.0");
  for (int frame = 0; frame < 25; ++frame) rate.FrameDone(now += milliseconds(40));
  EXPECT_STREQ(rate.Text(), "FPS: 25.0");
  EXPECT_TRUE(rate.FrameDone(now += milliseconds(3000)));
  EXPECT_STREQ(rate.Text(), "FPS: 0.3") << "one frame after a three-second stall";
}

TEST(FrameRate, CountsFromTheCallbacksTimestampsAndForgetsAHiddenSpell) {
  FrameRate rate;
  EXPECT_FALSE(rate.FrameDone(AtMilliseconds(0)));
  bool changed = false;
  for (int i = 1; i <= 60; ++i) changed = rate.FrameDone(AtMilliseconds(i * 1000.0 / 60));
  EXPECT_TRUE(changed);
  EXPECT_STREQ(rate.Text(), "FPS: 60.0");
  for (int i = 1; i <= 30; ++i) changed = rate.FrameDone(AtMilliseconds(1000 + i * 1000.0 / 30));
  EXPECT_TRUE(changed);
  EXPECT_STREQ(rate.Text(), "FPS: 30.0");
  rate.Restart();
  EXPECT_FALSE(rate.FrameDone(AtMilliseconds(10000))) << "a hidden spell is not counted as one slow frame";
  EXPECT_FALSE(rate.FrameDone(AtMilliseconds(10500)));
  EXPECT_STREQ(rate.Text(), "FPS: 30.0");
}

}  // namespace
