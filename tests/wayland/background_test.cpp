// ombrel-wayland --background on a headless sway: the README's wallpaper
// line under a window of the test's own on two outputs, input that does not
// end it, SIGTERM that does, --output, and no frames drawn while a
// full-screen window covers it.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <regex>

#include "tests/wayland/readme_lines.h"
#include "tests/wayland/test_window.h"

namespace {

class Wallpaper : public ReadmeSession {
 protected:
  // The test window floats in the middle of the first output, 400 x 300 of
  // its colour over the middle of the container, clear of the corners.
  static constexpr std::uint32_t kWindowColour = 0xff00ff;
  const std::string kWindowRule = "for_window [app_id=\"ombrel-test-window\"] floating enable, resize set 400 300\n";

  static bool WindowShown(const Image& shot) {
    if (shot.rgb.empty()) return false;
    const std::uint8_t* p = shot.At(shot.width / 2 + 150, shot.height / 2 + 100);
    return p[0] == 0xff && p[1] == 0x00 && p[2] == 0xff;
  }
};

// The README's line: the scene on the background layer of both outputs,
// under the test's window, which shows whole in the middle of it; keys,
// buttons, moves and the wheel leave it running and drawing; SIGTERM ends it
// with 0.
TEST_F(Wallpaper, TheReadmeLineShowsTheSceneUnderWindowsOnEveryOutput) {
  const ReadmeLines lines = ReadReadmeLines();
  ASSERT_NE(lines.Wallpaper, "") << "README.md's Wayland section has no wallpaper line";
  StartSession(2, lines.Wallpaper + "\n" + kWindowRule);
  for (const std::string output : {"HEADLESS-1", "HEADLESS-2"}) EXPECT_TRUE(WaitShown(output)) << output;
  TestWindow window("ombrel-test-window", kWindowColour);
  ASSERT_EQ(window.Error(), "");
  EXPECT_TRUE(WaitFor(
      [&] {
        window.Pump();
        const Image shot = sway_->Screenshot("HEADLESS-1");
        return WindowShown(shot) && SceneShown(shot);
      },
      20s))
      << "the window over the scene";

  input_->MoveTo(1100, 600, 2560, 720);
  input_->Key(KEY_SPACE);
  input_->Button(BTN_LEFT);
  input_->Move(50, 50);
  input_->Scroll(2);
  window.Pump();
  EXPECT_TRUE(WaitMoving("HEADLESS-1"));
  EXPECT_TRUE(WaitMoving("HEADLESS-2"));
  const std::vector<SaverRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_FALSE(runs[0].Ended);

  kill(runs[0].Pid, SIGTERM);
  EXPECT_TRUE(WaitFor([&] { return Runs()[0].Ended; }, 5s));
  EXPECT_EQ(Runs()[0].Code, 0);
  EXPECT_TRUE(WaitHidden("HEADLESS-2"));
}

// --output keeps the scene to the outputs it names; elsewhere sway's own
// background shows, with the cursor left alone over the scene.
TEST_F(Wallpaper, OutputChoosesTheOutputs) {
  StartSway(2);
  auto wallpaper = StartSaver({"--background", "--output", "HEADLESS-2", "--delay", "10000000"});
  ASSERT_TRUE(WaitShown("HEADLESS-2")) << wallpaper->Output();
  EXPECT_TRUE(SceneHidden(sway_->Screenshot("HEADLESS-1")));
  // The pointer at 100, 100 of the second output, over the scene's margin.
  input_->MoveTo(1380, 100, 2560, 720);
  EXPECT_TRUE(WaitFor(
      [&] {
        const Image shot = sway_->Screenshot("HEADLESS-2", true);
        int cursor = 0;
        for (int y = 95; y < 130; ++y)
          for (int x = 95; x < 130; ++x) cursor += shot.Lit(x, y);
        return cursor > 0;
      },
      10s))
      << "no cursor over the wallpaper";
  kill(wallpaper->pid(), SIGTERM);
  EXPECT_EQ(wallpaper->WaitExit(kPromptEnd), 0) << wallpaper->Output();
}

// Covered by a full-screen window, the wallpaper gets no frame callbacks
// from sway and draws nothing: while the window, redrawn on its own frame
// callbacks, takes 60 frames, the wallpaper's protocol log shows at most one
// more commit of a surface (a frame under way). Uncovered, it draws again.
TEST_F(Wallpaper, DrawsNothingWhileCovered) {
  StartSway(1, "for_window [app_id=\"ombrel-test-fullscreen\"] fullscreen enable\n");
  auto wallpaper = StartSaver({"--background"}, {"WAYLAND_DEBUG=client"});
  ASSERT_TRUE(WaitShown("HEADLESS-1")) << wallpaper->Output();
  auto commits = [&] {
    static const std::regex commit(R"(-> wl_surface@\d+\.commit\(\))");
    const std::string log = wallpaper->Output();
    return std::distance(std::sregex_iterator(log.begin(), log.end(), commit), std::sregex_iterator());
  };
  auto window = std::make_unique<TestWindow>("ombrel-test-fullscreen", kWindowColour);
  ASSERT_EQ(window->Error(), "");
  ASSERT_TRUE(WaitFor(
      [&] {
        window->Pump();
        return window->Width() == 1280 && WindowShown(sway_->Screenshot("HEADLESS-1"));
      },
      20s));
  window->Animate();
  ASSERT_TRUE(WaitFor([&] { return window->Pump(), window->Frames() >= 2; }, 10s));
  const long covered = commits();
  EXPECT_TRUE(WaitFor([&] { return window->Pump(), window->Frames() >= 62; }, 20s)) << window->Frames();
  EXPECT_LE(commits(), covered + 1);
  window.reset();
  EXPECT_TRUE(WaitFor([&] { return commits() > covered + 10; }, 10s));
}

}  // namespace
