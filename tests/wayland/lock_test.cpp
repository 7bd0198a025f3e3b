// ombrel-wayland and a screen lock on a headless sway 1.7: swaylock 1.7.2,
// started by the test while the scene shows, locks with the layer shell and
// the input inhibitor, and sway hands the keyboard back to the oldest
// overlay, the saver's. The saver must go before a key reaches it, and not
// come back over the lock. Whether a key reached the saver is read from its
// protocol log (WAYLAND_DEBUG); the lock's answer to a key, from its
// indicator. The password is never typed: swaylock checks it through PAM
// against the machine's users, which the tests leave alone, and SIGUSR1
// unlocks it instead.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <regex>

#include "tests/wayland/on_sway.h"
#include "tests/wayland/test_window.h"

namespace {

class WithLock : public SwayTest {
 protected:
  static constexpr std::uint32_t kLockColour = 0x336699;
  const std::vector<std::string> outputs_ = {"HEADLESS-1", "HEADLESS-2"};

  std::unique_ptr<Process> StartLock() {
    return std::make_unique<Process>(std::vector<std::string>{"swaylock", "-c", "336699"});
  }

  // Waits until every output shows the lock.
  bool WaitLocked(TestClock::duration limit = 20s) {
    return WaitFor(
        [&] {
          for (const std::string& output : outputs_)
            if (!LockShown(sway_->Screenshot(output), kLockColour)) return false;
          return true;
        },
        limit);
  }

  // Types a key, and waits until the lock's indicator answers it.
  bool LockAnswersAKey() {
    input_->Key(KEY_A);
    return WaitFor([&] { return IndicatorPixels(sway_->Screenshot("HEADLESS-1"), kLockColour) > 0; }, 10s);
  }
};

// Keys in a protocol log: a key event's line is "wl_keyboard@N.key(...".
int KeysIn(const std::string& log) {
  static const std::regex key(R"(wl_keyboard@\d+\.key\()");
  return static_cast<int>(std::distance(std::sregex_iterator(log.begin(), log.end(), key), std::sregex_iterator()));
}

// Shown at once, the saver ends with 0 when swaylock starts, saying why
// under --verbose; then every output shows the lock, and the lock's
// indicator answers the first key.
TEST_F(WithLock, TheShowNowSaverEndsWhenSwaylockStarts) {
  StartSway(2);
  auto saver = StartSaver({"--verbose"});
  for (const std::string& output : outputs_) ASSERT_TRUE(WaitShown(output)) << output << "\n" << saver->Output();
  auto lock = StartLock();
  EXPECT_EQ(saver->WaitExit(10s), 0);
  EXPECT_EQ(saver->Output(), "ombrel-wayland: another program took the keyboard (a screen lock?); ending\n");
  EXPECT_TRUE(WaitLocked());
  EXPECT_TRUE(LockAnswersAKey());
  kill(lock->pid(), SIGUSR1);
  EXPECT_EQ(lock->WaitExit(10s), 0) << lock->Output();
}

// With --idle the saver hides when swaylock starts and keeps running; no key
// reaches it while the lock is up. Its next idle time comes under the lock:
// the keyboard stays with the lock, and the scene never shows over it. Once
// unlocked, the next idle time shows the scene again.
TEST_F(WithLock, TheIdleSaverStaysHiddenWhileLockedAndComesBackAfter) {
  StartSway(2);
  auto saver = StartSaver({"--idle", "1", "--verbose"}, {"WAYLAND_DEBUG=client"});
  for (const std::string& output : outputs_) ASSERT_TRUE(WaitShown(output)) << output;
  auto lock = StartLock();
  ASSERT_TRUE(WaitLocked());
  EXPECT_FALSE(saver->Ended());
  EXPECT_NE(saver->Output().find("ombrel-wayland: another program took the keyboard (a screen lock?); the scene "
                                 "hides until the next idle time\n"),
            std::string::npos);
  EXPECT_TRUE(LockAnswersAKey());

  bool sceneOverLock = false;
  const bool hidden = WaitFor(
      [&] {
        for (const std::string& output : outputs_)
          sceneOverLock = sceneOverLock || !LockShown(sway_->Screenshot(output), kLockColour);
        return saver->Output().find("the keyboard did not come to the scene") != std::string::npos;
      },
      30s);
  EXPECT_TRUE(hidden) << "the saver did not give up on its idle time under the lock";
  EXPECT_FALSE(sceneOverLock);
  EXPECT_EQ(KeysIn(saver->Output()), 0);

  kill(lock->pid(), SIGUSR1);
  EXPECT_EQ(lock->WaitExit(10s), 0) << lock->Output();
  input_->Key(KEY_ENTER);  // as a password's last key would
  for (const std::string& output : outputs_) EXPECT_TRUE(WaitShown(output)) << output;
  kill(saver->pid(), SIGTERM);
  EXPECT_EQ(saver->WaitExit(kPromptEnd), 0);
}

// Lock first, saver second: started while swaylock is up, the saver is not
// given the keyboard, shows nothing and ends with 0; after unlocking nothing
// of it is left to dismiss.
TEST_F(WithLock, ASaverStartedUnderTheLockShowsNothingAndEnds) {
  StartSway(2);
  auto lock = StartLock();
  ASSERT_TRUE(WaitLocked());
  auto saver = StartSaver({"--verbose"});
  bool sceneOverLock = false;
  EXPECT_TRUE(WaitFor(
      [&] {
        for (const std::string& output : outputs_)
          sceneOverLock = sceneOverLock || !LockShown(sway_->Screenshot(output), kLockColour);
        return saver->Ended();
      },
      30s));
  EXPECT_FALSE(sceneOverLock);
  EXPECT_EQ(saver->WaitExit(1s), 0);
  EXPECT_EQ(saver->Output(), "ombrel-wayland: the keyboard did not come to the scene within 3 s (a screen lock holds "
                             "it?); ending\n");
  EXPECT_TRUE(LockAnswersAKey());
}

// sway moves the keyboard away from the overlay and back when its own focus
// moves, as for a window that opens while the scene shows: that is no lock,
// and the scene stays.
TEST_F(WithLock, AWindowOpeningUnderTheSceneDoesNotEndIt) {
  StartSway(1);
  auto saver = StartSaver({"--verbose"}, {"WAYLAND_DEBUG=client"});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  TestWindow window("ombrel-test-window", 0xff00ff);
  ASSERT_EQ(window.Error(), "");
  // The overlay had the keyboard taken away and given back.
  EXPECT_TRUE(WaitFor(
      [&] {
        window.Pump();
        return std::regex_search(saver->Output(), std::regex(R"(wl_keyboard@\d+\.leave\()"));
      },
      10s));
  EXPECT_TRUE(WaitMoving("HEADLESS-1"));
  EXPECT_FALSE(saver->Ended());
  EXPECT_EQ(saver->Output().find("ombrel-wayland:"), std::string::npos);
  input_->Key(KEY_SPACE);
  EXPECT_EQ(saver->WaitExit(kPromptEnd), 0);
}

}  // namespace
