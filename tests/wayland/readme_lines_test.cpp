// The README's Wayland lines for sway, run as written in a headless sway 1.7
// with swayidle 1.8 and swaylock 1.7.2 (their minutes shortened to seconds):
// the saver's idle mode with the lock left to swayidle, swayidle starting
// the saver instead, and the saver's answer to a second start.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include "tests/wayland/readme_lines.h"

namespace {

class ReadmeLinesOnSway : public ReadmeSession {
 protected:
  static constexpr std::uint32_t kWhite = 0xffffff;  // swaylock's colour, as the lines leave it

  void SetUp() override {
    ReadmeSession::SetUp();
    lines_ = ReadReadmeLines();
    ASSERT_NE(lines_.Saver, "") << "README.md's Wayland section has no line that starts the saver";
    ASSERT_NE(lines_.Lock, "") << "README.md's Wayland section has no line that starts the lock";
    ASSERT_NE(lines_.SwayidleSaver, "") << "README.md's Wayland section has no swayidle line for the saver";
  }

  bool WaitLocked(const std::vector<std::string>& outputs) {
    return WaitFor(
        [&] {
          for (const std::string& output : outputs)
            if (!LockShown(sway_->Screenshot(output), kWhite)) return false;
          return true;
        },
        30s);
  }

  bool LockAnswersAKey() {
    input_->Key(KEY_A);
    return WaitFor([&] { return IndicatorPixels(sway_->Screenshot("HEADLESS-1"), kWhite) > 0; }, 10s);
  }

  ReadmeLines lines_;
};

// The saver's own idle mode and swayidle's lock: the scene shows, then the
// lock covers every output in its place and answers the first key, and the
// saver stays running for the next idle time.
TEST_F(ReadmeLinesOnSway, TheSaversIdleModeAndSwayidlesLock) {
  StartSession(2, Shortened(lines_.Saver) + "\n" + Shortened(lines_.Lock) + "\n");
  for (const std::string output : {"HEADLESS-1", "HEADLESS-2"}) EXPECT_TRUE(WaitShown(output)) << output;
  EXPECT_TRUE(WaitLocked({"HEADLESS-1", "HEADLESS-2"}));
  EXPECT_TRUE(LockAnswersAKey());
  const std::vector<SaverRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_FALSE(runs[0].Ended);
}

// swayidle starting the saver: moves under the threshold keep the scene,
// and the copy that swayidle starts at the idle time they begin ends at once
// with 0 while the first keeps showing; a turn of the wheel ends the first.
TEST_F(ReadmeLinesOnSway, SwayidleStartsNoSecondCopy) {
  StartSession(1, Shortened(lines_.SwayidleSaver) + "\n");
  ASSERT_TRUE(WaitShown("HEADLESS-1"));
  input_->Move(1, 1);
  input_->Move(-1, -1);
  ASSERT_TRUE(WaitFor([&] { return Runs().size() == 2 && Runs()[1].Ended; }, 30s)) << Runs().size() << " starts";
  std::vector<SaverRun> runs = Runs();
  EXPECT_EQ(runs[1].Code, 0);
  EXPECT_FALSE(runs[0].Ended);
  EXPECT_TRUE(SceneShown(sway_->Screenshot("HEADLESS-1")));
  EXPECT_TRUE(WaitMoving("HEADLESS-1"));
  input_->Scroll(1);
  EXPECT_TRUE(WaitFor([&] { return Runs()[0].Ended; }, 5s));
  EXPECT_EQ(Runs()[0].Code, 0);
}

// swayidle starting the saver, and the lock's line beside it: the lock comes
// at its time while the scene shows (nothing holds it off), and the saver
// ends with 0 as it starts.
TEST_F(ReadmeLinesOnSway, SwayidlesSaverAndLock) {
  StartSession(1, Shortened(lines_.SwayidleSaver) + "\n" + Shortened(lines_.Lock) + "\n");
  EXPECT_TRUE(WaitShown("HEADLESS-1"));
  EXPECT_TRUE(WaitLocked({"HEADLESS-1"}));
  EXPECT_TRUE(WaitFor([&] { return !Runs().empty() && Runs()[0].Ended; }, 10s));
  const std::vector<SaverRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].Code, 0);
  EXPECT_TRUE(LockAnswersAKey());
}

}  // namespace
