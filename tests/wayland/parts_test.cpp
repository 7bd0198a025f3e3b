// The Wayland program's parts that need no compositor: its command line and
// the program's answers to bad ones and to a missing session, the pointer's
// threshold, the ext idle notification's events, and the outputs' scenes
// kept apart.
#include <gtest/gtest.h>

#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "tests/support/display_manual.h"
#include "tests/support/test_process.h"
#include "wayland/idle_watch.h"
#include "wayland/output_scene.h"
#include "wayland/pointer_threshold.h"
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
                   "--frames", "3", "--delay", "0"},
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
      {{"--root"}, "unknown argument: --root"},
      {{"--frames-per-second", "60"}, "unknown argument: --frames-per-second"},
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
