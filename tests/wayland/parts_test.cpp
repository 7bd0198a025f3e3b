// The Wayland program's parts that need no compositor: its command line and
// the program's answers to bad ones and to a missing session, the saver's
// lock file, the keyboard's rule, the pointer's threshold, the ext idle
// notification's events, and the outputs' scenes kept apart.
#include <gtest/gtest.h>

#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "tests/support/display_manual.h"
#include "tests/support/test_process.h"
#include "wayland/idle_watch.h"
#include "wayland/keyboard_hold.h"
#include "wayland/output_scene.h"
#include "wayland/pointer_threshold.h"
#include "wayland/session.h"
#include "wayland/wayland_options.h"

namespace {

CommandLine Parse(std::vector<const char*> args, WaylandOptions& options, std::string& error) {
  args.insert(args.begin(), "ombrel-wayland");
  return ParseWaylandOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(WaylandOptions, TakesOmbrelsOptionsAndIdle) {
  WaylandOptions options;
  std::string error;
  ASSERT_EQ(Parse({"--idle", "300", "-particles", "2050", "--container", "sphere", "--fps", "--clock", "7",
                   "--frames", "3", "--delay", "0", "--scale", "0.5"},
                  options, error),
            CommandLine::kRun)
      << error;
  EXPECT_EQ(options.IdleSeconds, 300u);
  EXPECT_EQ(options.Settings.SpawnPoints, 2050.0f);
  EXPECT_EQ(options.Settings.ObjectType, kSphereObject);
  EXPECT_TRUE(options.ShowFps);
  EXPECT_EQ(options.Clock, 7u);
  EXPECT_EQ(options.Frames, 3u);
  EXPECT_EQ(options.DelayMicroseconds, 0u);
  EXPECT_EQ(options.Scale, 0.5);
}

TEST(WaylandOptions, BackgroundTakesItsOutputs) {
  WaylandOptions options;
  std::string error;
  ASSERT_EQ(Parse({"--background", "--output", "DP-1", "-output", "HDMI-A-1", "--verbose"}, options, error),
            CommandLine::kRun)
      << error;
  EXPECT_TRUE(options.Background);
  EXPECT_EQ(options.Outputs, (std::vector<std::string>{"DP-1", "HDMI-A-1"}));
  EXPECT_TRUE(options.Verbose);
  EXPECT_FALSE(options.IdleSeconds);
}

// Bad command lines: the program answers with one line that names the
// problem and exit code 2.
TEST(WaylandOptions, BadCommandLinesGetOneLineAndTwo) {
  struct Case {
    std::vector<std::string> args;
    std::string line;
  };
  const Case cases[] = {
      {{"--idle", "0"}, "--idle expects a whole number of seconds from 1 to 4294967, not '0'"},
      {{"--idle", "4294968"}, "--idle expects a whole number of seconds from 1 to 4294967, not '4294968'"},
      {{"--idle"}, "missing value after --idle"},
      {{"--delay", "-1"}, "--delay expects a whole number of microseconds from 0 to 10000000, not '-1'"},
      {{"--particles", "many"}, "--particles expects"},
      {{"--scale", "2"}, "--scale expects a number from 0.25 to 1, not '2'"},
      {{"--root"}, "unknown argument: --root"},
      {{"--frames-per-second", "60"}, "unknown argument: --frames-per-second"},
      {{"--background", "--idle", "60"}, "--background and --idle cannot be used together"},
      {{"--output", "DP-1"}, "--output is for --background"},
      {{"--background", "--output", ""}, "--output expects the name of an output"},
      {{"--background", "--output"}, "missing value after --output"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = {OMBREL_WAYLAND_PATH};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string output;
    EXPECT_EQ(RunToEnd(argv, 30s, &output), 2) << c.line;
    EXPECT_EQ(output.rfind("ombrel-wayland: " + c.line, 0), 0u) << output;
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
  }
}

// Without a session or its compositor: one line and exit 1.
TEST(WaylandOptions, NoCompositorGetsOneLineAndOne) {
  std::string output;
  EXPECT_EQ(RunToEnd({"env", "-u", "WAYLAND_DISPLAY", "-u", "WAYLAND_SOCKET", OMBREL_WAYLAND_PATH}, 30s, &output), 1);
  EXPECT_EQ(output, "ombrel-wayland: no Wayland session: WAYLAND_DISPLAY is not set\n");
  EXPECT_EQ(RunToEnd({"env", "XDG_RUNTIME_DIR=/nonexistent", "WAYLAND_DISPLAY=wayland-77", OMBREL_WAYLAND_PATH},
                     30s, &output),
            1);
  EXPECT_EQ(output, "ombrel-wayland: cannot connect to the Wayland compositor 'wayland-77'\n");
  // The runtime folder that holds the socket: the program's own line, not
  // libwayland's before it. A socket given as a path needs none.
  EXPECT_EQ(RunToEnd({"env", "-u", "XDG_RUNTIME_DIR", "WAYLAND_DISPLAY=wayland-77", OMBREL_WAYLAND_PATH}, 30s, &output),
            1);
  EXPECT_EQ(output, "ombrel-wayland: no Wayland session: XDG_RUNTIME_DIR, the runtime folder that holds the "
                    "compositor's socket 'wayland-77', is not set\n");
  EXPECT_EQ(RunToEnd({"env", "-u", "XDG_RUNTIME_DIR", "WAYLAND_DISPLAY=/nonexistent/wayland-77", OMBREL_WAYLAND_PATH},
                     30s, &output),
            1);
  EXPECT_EQ(output, "ombrel-wayland: cannot connect to the Wayland compositor '/nonexistent/wayland-77'\n");
}

// The compositor's socket as libwayland finds it, and the saver's lock file
// beside it: the first taker holds it, a second (another open file, as
// another process has) is refused, and a folder that does not exist makes
// it unavailable rather than refused.
TEST(SaverLock, OneHolderASocket) {
  std::string path, error;
  setenv("XDG_RUNTIME_DIR", ::testing::TempDir().c_str(), 1);
  setenv("WAYLAND_DISPLAY", "wayland-7", 1);
  ASSERT_TRUE(SessionSocket(path, error)) << error;
  EXPECT_EQ(path, ::testing::TempDir() + "/wayland-7");
  setenv("WAYLAND_DISPLAY", "/run/elsewhere/wayland-7", 1);
  ASSERT_TRUE(SessionSocket(path, error)) << error;
  EXPECT_EQ(path, "/run/elsewhere/wayland-7");
  EXPECT_EQ(SaverLockPath(path), "/run/elsewhere/wayland-7.ombrel-wayland.lock");

  const std::string lock = ::testing::TempDir() + "/saver-lock-" + std::to_string(getpid());
  std::remove(lock.c_str());
  EXPECT_EQ(HoldLockFile(lock), LockFile::kHeld);
  EXPECT_EQ(HoldLockFile(lock), LockFile::kHeldByAnother);
  EXPECT_EQ(HoldLockFile("/nonexistent/folder/lock"), LockFile::kUnavailable);
  std::remove(lock.c_str());
}

// The keyboard's rule: the scene shows once the keyboard came and until it
// is taken. A keyboard that leaves and is back by the end of the batch moved
// only within the compositor (sway 1.7 does so for a new output or window);
// one that does not come back is taken, and so is one that comes back while
// the pointer, having been on the saver, is away (sway 1.7's lock takes the
// pointer first). Taken counts for good, whatever comes next. A keyboard that
// does not come within the bound is lost too; asking again (another overlay
// after the first went) keeps a scene that held it drawing.
TEST(KeyboardHold, ShowsOnlyWhileTheKeyboardStays) {
  using Clock = KeyboardHold::Clock;
  const Clock::time_point t0{};
  KeyboardHold hold;
  hold.Ask(t0);
  EXPECT_FALSE(hold.Held());
  EXPECT_FALSE(hold.Lost(t0 + kKeyboardBound - 1ms));
  EXPECT_TRUE(hold.Lost(t0 + kKeyboardBound));
  EXPECT_FALSE(hold.Taken());
  EXPECT_EQ(hold.Deadline(), t0 + kKeyboardBound);

  hold.Came();
  EXPECT_TRUE(hold.Held());
  EXPECT_FALSE(hold.Lost(t0 + 1h));
  EXPECT_FALSE(hold.Deadline());
  hold.Ask(t0 + 1h);
  EXPECT_TRUE(hold.Held()) << "the scene goes on while another overlay asks";
  EXPECT_TRUE(hold.Lost(t0 + 1h + kKeyboardBound));
  hold.Came();

  // Batches in order: {keyboard left, keyboard back, pointer on}.
  struct Case {
    const char* name;
    std::vector<FocusMoves> batches;
    bool taken;
  };
  const FocusMoves still{false, true, true}, pointerAway{false, true, false}, keyboardAwayAndBack{true, true, true},
      keyboardBackPointerAway{true, true, false}, keyboardGone{true, false, true}, noPointer{false, true, false},
      keyboardAwayAndBackNoPointer{true, true, false};
  const Case cases[] = {
      {"nothing moved", {still, still}, false},
      {"the pointer alone went (sway's hidden cursor)", {still, pointerAway}, false},
      {"the keyboard left and came back (sway's own focus)", {still, keyboardAwayAndBack}, false},
      {"the keyboard left and came back, no pointer ever", {noPointer, keyboardAwayAndBackNoPointer}, false},
      {"the keyboard left", {still, keyboardGone}, true},
      {"the pointer went, then the keyboard left and came back (sway 1.7's lock)", {still, pointerAway,
                                                                                   keyboardBackPointerAway}, true},
      {"both in one batch", {still, keyboardBackPointerAway}, true},
  };
  for (const Case& c : cases) {
    KeyboardHold held = hold;
    for (const FocusMoves& batch : c.batches) held.Moved(batch);
    EXPECT_EQ(held.Taken(), c.taken) << c.name;
    EXPECT_EQ(held.Held(), !c.taken) << c.name;
    held.Came();
    EXPECT_EQ(held.Held(), !c.taken) << c.name << ", and the keyboard came again";
    EXPECT_EQ(held.Lost(t0), c.taken) << c.name;
    if (c.taken) {
      EXPECT_FALSE(held.Deadline()) << c.name;
    }
  }

  hold.Reset();
  EXPECT_FALSE(hold.Lost(t0 + 1h)) << "nothing asked";
  hold.NotNeeded();
  hold.Ask(t0);
  EXPECT_TRUE(hold.Held());
  EXPECT_FALSE(hold.Lost(t0 + kKeyboardBound)) << "a keyboard not needed is not awaited";
  EXPECT_FALSE(hold.Deadline());
}

// The manual page names every option of --help and says each exit status
// in the help's words.
TEST(WaylandOptions, TheManualPageFollowsTheHelp) {
  EXPECT_TRUE(ManualMatchesHelp(OMBREL_SOURCE_DIR "/wayland/ombrel-wayland.6", WaylandUsageParts()));
}

TEST(PointerThreshold, MovesCountFromTheFirstPositionBeyondFourPixels) {
  PointerThreshold rules;
  const int surface = 0, other = 0;
  EXPECT_FALSE(rules.PointerMoved(500, 500)) << "no position seen yet";
  rules.PointerEntered(&surface, 10, 10);
  EXPECT_FALSE(rules.PointerMoved(12, 12));
  EXPECT_FALSE(rules.PointerMoved(8, 12));
  EXPECT_FALSE(rules.PointerMoved(10, 6));
  EXPECT_TRUE(rules.PointerMoved(12, 13));
  EXPECT_TRUE(rules.PointerMoved(10, 15));
  // Leaving and coming back keeps the first position.
  rules.PointerEntered(&surface, 12, 12);
  EXPECT_TRUE(rules.PointerMoved(13, 13));
  // Another output's surface has coordinates of its own.
  rules.PointerEntered(&other, 300, 300);
  EXPECT_FALSE(rules.PointerMoved(302, 301));
  EXPECT_TRUE(rules.PointerMoved(305, 300));
  rules.Reset();
  EXPECT_FALSE(rules.PointerMoved(0, 0));
}

// ext_idle_notification_v1's events, as the compositor would deliver them:
// "idled" shows the scene, "resumed" (any input, a mouse's jitter included)
// changes nothing, so that the scene's own rules decide what ends it.
TEST(IdleWatch, ExtIdleShowsAndResumedChangesNothing) {
  IdleWatch watch;
  int shown = 0;
  watch.OnIdle = [&] { ++shown; };
  const ext_idle_notification_v1_listener& listener = IdleWatch::ExtListener();
  listener.idled(&watch, nullptr);
  EXPECT_EQ(shown, 1);
  listener.resumed(&watch, nullptr);
  listener.idled(&watch, nullptr);
  EXPECT_EQ(shown, 2);
}

// Two outputs' scenes drawn in turn move exactly as each would alone: a
// scene's steps never land in the other's records.
TEST(OutputScenes, InterleavedScenesMoveAsEachAlone) {
  for (const std::uint8_t container : {kCubeObject, kSphereObject}) {
    SaverSettings = kDefaultSettings;
    SaverSettings.ObjectType = container;
    SaverSettings.SpawnPoints = 2050;
    auto frame = [](std::uint32_t second) {
      ReseedFromTime(second);
      DeriveSceneParameters();
      SimulateFrame();
    };
    auto start = [](std::uint32_t second) {
      ReseedFromTime(second);
      DeriveSceneParameters();
      InitSceneData();
    };
    // Each alone: scene A from second 1, scene B from second 2.
    start(1);
    for (std::uint32_t i = 0; i < 5; ++i) frame(1 + i);
    const ParticleSwarmArray aloneA = ParticleSwarm;
    const std::int32_t counterA = FrameCounter;
    start(2);
    for (std::uint32_t i = 0; i < 3; ++i) frame(2 + i);
    const ParticleSwarmArray aloneB = ParticleSwarm;

    OutputScenes scenes;
    OutputScenes::Scene a, b;
    scenes.Activate(a);
    start(1);
    scenes.Activate(b);
    start(2);
    for (std::uint32_t i = 0; i < 5; ++i) {
      scenes.Activate(a);
      frame(1 + i);
      if (i < 3) {
        scenes.Activate(b);
        frame(2 + i);
      }
    }
    EXPECT_EQ(std::memcmp(&ParticleSwarm, &aloneA, sizeof aloneA), 0) << int{container};
    scenes.Activate(b);
    EXPECT_EQ(std::memcmp(&ParticleSwarm, &aloneB, sizeof aloneB), 0) << int{container};
    scenes.Activate(a);
    EXPECT_EQ(std::memcmp(&ParticleSwarm, &aloneA, sizeof aloneA), 0) << int{container};
    EXPECT_EQ(FrameCounter, counterA);
  }
}

}  // namespace
