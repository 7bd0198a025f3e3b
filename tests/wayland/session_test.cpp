// ombrel-wayland on a headless sway of each test's own: the scene on every
// output, against ombrel-frames-gles; the input that ends it and the jitter
// that does not; one saver a display; the hidden cursor; signals; the
// compositor's end; outputs that come and go; idle mode on
// org_kde_kwin_idle. Every wait is bounded.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <algorithm>
#include <regex>

#include "tests/wayland/on_sway.h"

namespace {

class OnSway : public SwayTest {};

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

// A key, a button, a turn of the wheel or a move of more than 4 pixels ends
// it with 0 within a second of reaching the compositor.
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
      {"wheel", [](VirtualInput& in) { in.Scroll(1); }},
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

// One saver a display: a second one (a swayidle timeout's, say) ends at once
// with 0, saying so in one line only under --verbose, and the first goes on
// drawing. The lock goes with the first however it ends, a kill included.
TEST_F(OnSway, ASecondSaverOnTheDisplayEndsAtOnce) {
  StartSway(1);
  auto first = StartSaver({});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << first->Output();
  for (const bool verbose : {false, true}) {
    auto second = StartSaver(verbose ? std::vector<std::string>{"--verbose"} : std::vector<std::string>{});
    EXPECT_EQ(second->WaitExit(kPromptEnd), 0) << verbose;
    EXPECT_EQ(second->Output(), verbose ? "ombrel-wayland: another ombrel-wayland shows the scene on this Wayland "
                                          "display; this one ends\n"
                                        : "");
  }
  EXPECT_TRUE(WaitMoving("HEADLESS-1"));
  EXPECT_FALSE(first->Ended()) << first->Output();
  kill(first->pid(), SIGKILL);
  first->WaitExit(5s);
  auto third = StartSaver({});
  EXPECT_TRUE(WaitMoving("HEADLESS-1"));
  EXPECT_FALSE(third->Ended()) << third->Output();
}

// The cursor, which screenshots of the headless outputs show, is hidden over
// the scene: over sway's background some pixels around the pointer differ
// from the background's colour, over the scene's dark margin none do. Ten
// seconds a step keep the scene still.
TEST_F(OnSway, TheCursorIsHiddenOverTheScene) {
  StartSway(1);
  input_->MoveTo(100, 100, 1280, 720);
  auto cursorPixels = [&] {
    const Image shot = sway_->Screenshot("HEADLESS-1", true);
    if (shot.rgb.empty()) return -1;
    int n = 0;
    for (int y = 90; y < 150; ++y)
      for (int x = 90; x < 150; ++x) n += std::equal(shot.At(x, y), shot.At(x, y) + 3, shot.At(20, 20)) ? 0 : 1;
    return n;
  };
  ASSERT_GT(cursorPixels(), 0) << "no cursor in the screenshots to hide";
  auto saver = StartSaver({"--delay", "10000000"});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  input_->Move(1, 0);
  EXPECT_TRUE(WaitFor([&] { return cursorPixels() == 0; }, 10s)) << cursorPixels() << " pixels of a cursor";
}

// A seat without a keyboard (a headless sway without devices, a kiosk)
// never gives one: the scene shows without waiting for it. 240 steps take
// 4 s, longer than the wait for a keyboard would be; --verbose says nothing
// of a keyboard, only the steps taken at the end.
TEST_F(OnSway, ASeatWithoutAKeyboardStillShowsTheScene) {
  sway_ = std::make_unique<HeadlessSway>(1);
  ASSERT_TRUE(sway_->Ready()) << sway_->Log();
  auto saver = StartSaver({"--frames", "240", "--verbose"});
  EXPECT_TRUE(WaitShown("HEADLESS-1")) << saver->Output();
  EXPECT_EQ(saver->WaitExit(60s), 0);
  EXPECT_TRUE(std::regex_match(saver->Output(),
                               std::regex("ombrel-wayland: HEADLESS-1: steps taken: 240, frames drawn: \\d+\n")))
      << saver->Output();
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
