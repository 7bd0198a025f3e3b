// ombrel-wayland on a headless sway of each test's own: the scene on every
// output, against ombrel-frames-gles; the input that ends it and the jitter
// that does not; signals; the compositor's end; outputs that come and go;
// idle mode on org_kde_kwin_idle. Every wait is bounded.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/test_process.h"
#include "tests/wayland/headless_sway.h"
#include "tests/wayland/virtual_input.h"

namespace {

const std::string kSaver = OMBREL_WAYLAND_PATH;

// The scene's clear colour fills the corners of a shown scene (the container
// stays in the middle); sway's own background is grey.
bool SceneShown(const Image& shot) {
  if (shot.rgb.empty()) return false;
  for (const auto& [x, y] : {std::pair{0, 0}, {shot.width - 1, 0}, {0, shot.height - 1}, {shot.width - 1, shot.height - 1}})
    if (shot.Lit(x, y)) return false;
  return true;
}

bool SceneHidden(const Image& shot) {
  return !shot.rgb.empty() && shot.Lit(0, 0) && shot.Lit(shot.width - 1, shot.height - 1);
}

// Pixels of two same-sized pictures that differ by more than `levels` in
// some channel; every pixel when the sizes differ.
long PixelsBeyond(const Image& a, const Image& b, int levels) {
  if (a.width != b.width || a.height != b.height) return static_cast<long>(b.width) * b.height;
  long n = 0;
  for (size_t i = 0; i < a.rgb.size(); i += 3)
    for (size_t c = 0; c < 3; ++c)
      if (std::abs(a.rgb[i + c] - b.rgb[i + c]) > levels) {
        ++n;
        break;
      }
  return n;
}

class OnSway : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SwayInstalled()) GTEST_SKIP() << "sway is not installed";
  }

  // sway with `outputs` outputs and the test's input devices.
  void StartSway(int outputs) {
    sway_ = std::make_unique<HeadlessSway>(outputs);
    ASSERT_TRUE(sway_->Ready()) << "sway did not start:\n" << sway_->Log();
    input_ = std::make_unique<VirtualInput>();
    ASSERT_EQ(input_->Error(), "");
  }

  std::unique_ptr<Process> StartSaver(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), kSaver);
    return std::make_unique<Process>(arguments);
  }

  // Waits until the scene covers the corners of `output`.
  bool WaitShown(const std::string& output, TestClock::duration limit = 20s) {
    return WaitFor([&] { return SceneShown(sway_->Screenshot(output)); }, limit);
  }
  bool WaitHidden(const std::string& output, TestClock::duration limit = 20s) {
    return WaitFor([&] { return SceneHidden(sway_->Screenshot(output)); }, limit);
  }

  // Waits until `output` shows a frame other than the one it shows now: the
  // program still draws.
  bool WaitMoving(const std::string& output) {
    const Image before = sway_->Screenshot(output);
    return WaitFor([&] { return PixelsBeyond(sway_->Screenshot(output), before, 0) > 0; }, 10s);
  }

  std::unique_ptr<HeadlessSway> sway_;
  std::unique_ptr<VirtualInput> input_;
};

// Each output shows its own scene at its size in pixels, a 2x output at
// twice its size in surface coordinates, and the first frame is the one that
// ombrel-frames-gles draws at the same clock and size. Both draw through the
// GL 1.1 layer on the same Mesa, and sway copies an opaque buffer at the
// output's own scale unchanged, so they agree to the pixel here; the bound
// is that of the GL 1.1 layer's own frame test (3 levels on 0.5% of the
// pixels) for drivers that round differently. A scene squeezed into a part
// of the output, scaled up from half the pixels or drawn from another second
// differs almost everywhere.
TEST_F(OnSway, EveryOutputShowsTheFirstFrameOfItsOwnScene) {
  StartSway(2);
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-1 mode 1024x768"));
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-2 mode 800x600 scale 2"));
  const std::string clock = "1000000000";
  const std::string expected = sway_->Runtime() + "/expected";
  struct Case {
    std::string output, size;
  };
  for (const Case& c : {Case{"HEADLESS-1", "1024x768"}, Case{"HEADLESS-2", "800x600"}}) {
    std::string log;
    ASSERT_EQ(RunToEnd({OMBREL_FRAMES_GLES_PATH, "--particles", "2050", "--clock", clock, "--frames", "1", "--size",
                        c.size, "--out", expected + "/" + c.output},
                       60s, &log),
              0)
        << log;
  }
  // Ten seconds a step: the first frame stays while it is photographed.
  auto saver = StartSaver({"--particles", "2050", "--clock", clock, "--delay", "10000000"});
  for (const std::string output : {"HEADLESS-1", "HEADLESS-2"}) {
    const Image want = ReadPng(expected + "/" + output + "/frame-000001.png");
    ASSERT_FALSE(want.rgb.empty());
    Image shot;
    const long allowed = static_cast<long>(want.width) * want.height / 200;
    EXPECT_TRUE(WaitFor([&] { return PixelsBeyond(shot = sway_->Screenshot(output), want, 3) <= allowed; }, 10s))
        << output << ": " << PixelsBeyond(shot, want, 3) << " pixels differ from ombrel-frames-gles; "
        << shot.width << "x" << shot.height << " shown\n"
        << saver->Output();
  }
  EXPECT_FALSE(saver->Ended()) << saver->Output();
}

// With --clock T, frame F of an output is seeded by the steps' count, as
// ombrel-frames counts its frames: step 121 (after steps from seconds T,
// T + 1 and T + 2, whose seeds leave their trace) is the frame that
// ombrel-frames-gles writes 121st. At one frame a second (the scene taking
// 60 steps a second all the same, every 60th drawn) it stays long enough to
// be photographed; the program goes on to step 181 so that it is not its last.
TEST_F(OnSway, FrameFAtClockTIsOmbrelFramesFrameF) {
  StartSway(1);
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-1 mode 640x480"));
  const std::string expected = sway_->Runtime() + "/expected";
  auto written = [&](const std::string& framesPerSecond) {
    const std::string out = expected + "/" + framesPerSecond;
    std::string log;
    EXPECT_EQ(RunToEnd({OMBREL_FRAMES_GLES_PATH, "--particles", "2050", "--clock", "1700000000", "--frames-per-second",
                        framesPerSecond, "--frames", "121", "--every", "121", "--size", "640x480", "--out", out},
                       60s, &log),
              0)
        << log;
    return ReadPng(out + "/frame-000121.png");
  };
  const Image want = written("60");
  ASSERT_FALSE(want.rgb.empty());
  const long allowed = static_cast<long>(want.width) * want.height / 200;
  ASSERT_GT(PixelsBeyond(written("1000"), want, 3), allowed) << "frame 121 of second T alone differs";

  auto saver = StartSaver({"--particles", "2050", "--clock", "1700000000", "--frames", "181", "--delay", "1000000"});
  Image shot;
  EXPECT_TRUE(WaitFor([&] { return PixelsBeyond(shot = sway_->Screenshot("HEADLESS-1"), want, 3) <= allowed; }, 40s))
      << "frame 121 was not shown\n" << saver->Output();
  EXPECT_EQ(saver->WaitExit(20s), 0) << saver->Output();
}

// On a 144 Hz output the scene still takes 60 steps a second: 120 frames
// take at least two seconds (less 5 % for the step clock's tolerance), and
// the callbacks it lets pass without drawing keep coming, so it ends.
TEST_F(OnSway, SixtyStepsASecondOnA144HzOutput) {
  StartSway(1);
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-1 mode 640x480@144Hz"));
  auto saver = StartSaver({"--frames", "1"});
  ASSERT_EQ(saver->WaitExit(20s), 0) << saver->Output();
  const TestClock::time_point started = TestClock::now();
  saver = StartSaver({"--frames", "121"});
  ASSERT_EQ(saver->WaitExit(30s), 0) << saver->Output();
  EXPECT_GE(TestClock::now() - started, 1900ms);
}

// A key, a button, or a move of more than 4 pixels ends it with 0 within a
// second of reaching the compositor.
TEST_F(OnSway, KeyButtonAndMotionEachEndIt) {
  StartSway(1);
  struct Case {
    const char* name;
    std::function<void(VirtualInput&)> act;
  };
  const Case cases[] = {
      {"key", [](VirtualInput& in) { in.Key(KEY_SPACE); }},
      {"button", [](VirtualInput& in) { in.Button(BTN_LEFT); }},
      {"motion", [](VirtualInput& in) { in.Move(5, 0); }},
  };
  for (const Case& c : cases) {
    auto saver = StartSaver({});
    ASSERT_TRUE(WaitShown("HEADLESS-1")) << c.name << "\n" << saver->Output();
    // The pointer's first position on the overlay is where moves count from.
    input_->Move(1, 1);
    c.act(*input_);
    EXPECT_EQ(saver->WaitExit(kPromptEnd), 0) << c.name << "\n" << saver->Output();
    EXPECT_EQ(saver->Output(), "") << c.name;
  }
}

// Moves that stay within 4 pixels (|dx| + |dy|) of where the pointer was
// when the scene appeared keep it running and drawing; a larger one ends it.
TEST_F(OnSway, JitterDoesNotEndIt) {
  StartSway(1);
  auto saver = StartSaver({});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  input_->Move(1, 1);
  input_->Move(1, 0);
  input_->Move(-1, 0);
  input_->Move(1, 0);
  EXPECT_TRUE(WaitMoving("HEADLESS-1"));
  EXPECT_FALSE(saver->Ended()) << saver->Output();
  input_->Move(0, 5);
  EXPECT_EQ(saver->WaitExit(kPromptEnd), 0) << saver->Output();
}

TEST_F(OnSway, SigtermEndsItAtOnce) {
  StartSway(1);
  auto saver = StartSaver({});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  kill(saver->pid(), SIGTERM);
  EXPECT_EQ(saver->WaitExit(kPromptEnd), 0) << saver->Output();
}

// The compositor killed under it: one line, exit 1, no crash.
TEST_F(OnSway, CompositorGoneEndsItWithOneLine) {
  StartSway(1);
  auto saver = StartSaver({});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  kill(sway_->Compositor().pid(), SIGKILL);
  EXPECT_EQ(saver->WaitExit(5s), 1);
  EXPECT_EQ(saver->Output(), "ombrel-wayland: lost the connection to the Wayland compositor\n");
}

// An output that appears while it runs gets the scene; one that goes away is
// let go, and the others go on.
TEST_F(OnSway, OutputsComeAndGo) {
  StartSway(1);
  auto saver = StartSaver({});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  ASSERT_TRUE(HeadlessSway::Command("create_output"));
  EXPECT_TRUE(WaitShown("HEADLESS-2")) << saver->Output();
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-1 disable"));
  EXPECT_TRUE(WaitMoving("HEADLESS-2"));
  EXPECT_FALSE(saver->Ended()) << saver->Output();
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-1 enable"));
  EXPECT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  EXPECT_FALSE(saver->Ended()) << saver->Output();
}

// --idle on sway's org_kde_kwin_idle: shown on every output once the seat
// has been idle, hidden by a key, shown again after the next idle spell, and
// running until SIGTERM.
TEST_F(OnSway, IdleModeShowsHidesAndShowsAgain) {
  StartSway(2);
  auto saver = StartSaver({"--idle", "1"});
  for (int round = 1; round <= 2; ++round) {
    EXPECT_TRUE(WaitShown("HEADLESS-1")) << round << "\n" << saver->Output();
    EXPECT_TRUE(WaitShown("HEADLESS-2")) << round;
    input_->Key(KEY_SPACE);
    EXPECT_TRUE(WaitHidden("HEADLESS-1", 5s)) << round;
    EXPECT_TRUE(WaitHidden("HEADLESS-2", 5s)) << round;
    EXPECT_FALSE(saver->Ended()) << saver->Output();
  }
  kill(saver->pid(), SIGTERM);
  EXPECT_EQ(saver->WaitExit(kPromptEnd), 0) << saver->Output();
}

}  // namespace
