// ombrel-wayland on a headless sway: --scale in each mode, on outputs of
// scale 1 and 2, and the steps it takes at 60, 30, 20 and 15 frames a
// second. Every wait is bounded.
#include <gtest/gtest.h>

#include <regex>
#include <utility>

#include "tests/wayland/on_sway.h"

namespace {

constexpr const char* kClock = "1700000000";

// Every second pixel across and down of `shot`, from the first: the
// picture before it was scaled up twice, where the compositor repeats each
// pixel (sway's pixman renderer scales without filtering).
Image EverySecondPixel(const Image& shot) {
  Image half{shot.width / 2, shot.height / 2, {}};
  for (int y = 0; y < half.height; ++y)
    for (int x = 0; x < half.width; ++x) half.rgb.insert(half.rgb.end(), shot.At(2 * x, 2 * y), shot.At(2 * x, 2 * y) + 3);
  return half;
}

// The modes of the program, by their options: shown now, after an idle
// second, as the wallpaper.
const std::pair<const char*, std::vector<std::string>> kModes[] = {
    {"ShownNow", {}}, {"Idle", {"--idle", "1"}}, {"Background", {"--background"}}};

class Scaled : public SwayTest, public ::testing::WithParamInterface<std::pair<const char*, std::vector<std::string>>> {
 protected:
  // ombrel-frames-gles' first frame of 2050 particles at the tests' clock at
  // `size` ("512x384").
  Image Written(const std::string& size) {
    const std::string out = sway_->Runtime() + "/expected-" + size;
    std::string log;
    EXPECT_EQ(RunToEnd({OMBREL_FRAMES_GLES_PATH, "--particles", "2050", "--clock", kClock, "--frames", "1", "--size",
                        size, "--out", out},
                       60s, &log),
              0)
        << log;
    return ReadPng(out + "/frame-000001.png");
  }
};

// At --scale 0.5 each output's buffer is half its pixels across and down
// (512 x 384 for 1024 x 768; 400 x 300 for 800 x 600 at scale 2, whose
// surface is 400 x 300), with the viewport's destination the surface's
// size: the compositor scales the frame up. The frame before scaling is
// ombrel-frames-gles' frame at that size (within the bound of the other
// frame tests); the frame drawn at the output's own size is not.
TEST_P(Scaled, EachOutputShowsAFrameOfTheScaledSizeScaledUp) {
  StartSway(2);
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-1 mode 1024x768"));
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-2 mode 800x600 scale 2"));
  const struct {
    std::string output, drawn, destination;
  } cases[] = {{"HEADLESS-1", "512, 384", "1024, 768"}, {"HEADLESS-2", "400, 300", "400, 300"}};
  const std::pair<std::string, Image> wanted[] = {{"HEADLESS-1", Written("512x384")},
                                                   {"HEADLESS-2", Written("400x300")}};
  const Image unscaled = EverySecondPixel(Written("1024x768"));

  std::vector<std::string> arguments = GetParam().second;
  arguments.insert(arguments.end(), {"--particles", "2050", "--clock", kClock, "--delay", "10000000", "--scale",
                                     "0.5"});
  auto saver = StartSaver(arguments, {"WAYLAND_DEBUG=client"});
  for (const auto& [output, want] : wanted) {
    ASSERT_FALSE(want.rgb.empty());
    const long allowed = static_cast<long>(want.width) * want.height / 200;
    Image shown;
    EXPECT_TRUE(WaitFor(
        [&] { return PixelsBeyond(shown = EverySecondPixel(sway_->Screenshot(output)), want, 3) <= allowed; }, 20s))
        << output << ": " << PixelsBeyond(shown, want, 3) << " pixels differ from ombrel-frames-gles";
    if (output == "HEADLESS-1") {
      EXPECT_GT(PixelsBeyond(unscaled, want, 3), 10 * allowed);
    }
  }
  // What the program asked of the compositor: buffers of the scaled size
  // (in shared memory, as Mesa's software renderer makes them), and each
  // viewport's destination.
  const std::string log = saver->Output();
  for (const auto& c : cases) {
    EXPECT_TRUE(std::regex_search(log, std::regex("create_buffer\\(new id wl_buffer@\\d+, 0, " + c.drawn + ",")))
        << c.output << ": no buffer of " << c.drawn;
    EXPECT_TRUE(std::regex_search(log, std::regex("wp_viewport@\\d+\\.set_destination\\(" + c.destination + "\\)")))
        << c.output << ": no destination of " << c.destination;
  }
  EXPECT_FALSE(saver->Ended()) << log.substr(log.size() > 2000 ? log.size() - 2000 : 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, Scaled, ::testing::ValuesIn(kModes),
                         [](const ::testing::TestParamInfo<std::pair<const char*, std::vector<std::string>>>& info) {
                           return std::string(info.param.first);
                         });

class Paced : public SwayTest {};

// At 60, 30, 20 and 15 frames a second the scene keeps 60 steps a second:
// --frames 121 ends no sooner than the two seconds that 120 steps take,
// after at most one frame for every 60 / rate steps besides the first and
// the last, and at least one for every four (a frame takes at most four). A
// frame that took one step, as a slowed scene would, breaks the first bound;
// one that took more than were due, the time. (The last frame goes with the
// program's surface and cannot be photographed; the frames' pictures at a
// step are the session tests', at one frame a second.)
TEST_F(Paced, AtEveryFrameRateTheSceneKeepsSixtyStepsASecond) {
  StartSway(1);
  ASSERT_TRUE(HeadlessSway::Command("output HEADLESS-1 mode 640x480"));
  for (const int rate : {60, 30, 20, 15}) {
    const TestClock::time_point started = TestClock::now();
    auto saver = StartSaver({"--particles", "2050", "--frames", "121", "--delay", std::to_string(1000000 / rate),
                             "--verbose"});
    ASSERT_EQ(saver->WaitExit(60s), 0) << saver->Output();
    EXPECT_GE(TestClock::now() - started, 1900ms) << rate;
    const std::string output = saver->Output();
    std::smatch drawn;
    ASSERT_TRUE(std::regex_match(output, drawn,
                                 std::regex("ombrel-wayland: HEADLESS-1: steps taken: 121, frames drawn: (\\d+)\n")))
        << output;
    const int frames = std::stoi(drawn[1]);
    EXPECT_LE(frames, 120 / (60 / rate) + 2) << rate << " frames a second";
    EXPECT_GE(frames, 1 + 120 / 4) << rate << " frames a second";
  }
}

}  // namespace
