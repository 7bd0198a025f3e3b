// The renderer through the GL 1.1 layer on OpenGL ES 3 against the renderer
// on the system's OpenGL 1.1: ombrel-frames-gles and ombrel-frames run with
// the same arguments, and every frame they write is compared pixel by pixel.
//
// Tolerance. Both programs rasterise on Mesa's llvmpipe, and the layer does
// the fixed pipeline's arithmetic in the same single precision and order
// (matrices, rotation, vertex transform, quad split, mipmaps), so with
// Debian 12's Mesa the frames come out identical. Nothing holds another Mesa
// or driver to that: its fixed-function vertex program may fuse multiplies
// and adds, or round colours differently in their last bits. That moves a
// pixel's value across a rounding step now and then (1 level); a vertex a
// last bit away can also move an edge across a pixel centre, which changes
// that pixel by a sprite's or a cell's share there. So no channel of any
// pixel may differ by more than 3 levels (of 255), and at most 0.5% of the
// pixels may differ at all. A real fault (a wrong matrix, quad split, colour
// clamp, texture level or blend) moves whole sprites or shades whole cells
// and breaks both bounds at once; the measured differences are printed with
// every case.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/tools/run_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLevelDifference = 3;
constexpr double kMaxDifferingShare = 0.005;

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

bool ReadPng(const fs::path& path, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
}

struct Scenario {
  const char* name;
  const char* args;
  std::vector<const char*> frames;  // the files both programs must write
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.args; }

class SamePixels : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("gl11_same_pixels_" + std::to_string(getpid()));
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs `program` with the scenario into its own folder.
  void Render(const std::string& program, const fs::path& out) {
    const ProgramRun run = RunProgram(program, std::string(GetParam().args) + " --out " + out.string());
    ASSERT_EQ(run.exitCode, 0) << program << ": " << run.err;
  }

  fs::path dir_;
};

TEST_P(SamePixels, LayerFrameMatchesOpenGl11Frame) {
  const fs::path gl = dir_ / "gl", layer = dir_ / "gl11";
  ASSERT_NO_FATAL_FAILURE(Render(OMBREL_FRAMES_PATH, gl));
  ASSERT_NO_FATAL_FAILURE(Render(OMBREL_FRAMES_GLES_PATH, layer));
  for (const char* frame : GetParam().frames) {
    Picture expected, actual;
    ASSERT_TRUE(ReadPng(gl / frame, expected)) << frame;
    ASSERT_TRUE(ReadPng(layer / frame, actual)) << frame;
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);

    const int pixels = expected.width * expected.height;
    int differing = 0, maxDifference = 0, lit = 0;
    for (int i = 0; i < pixels; ++i) {
      int difference = 0;
      for (int c = 0; c < 3; ++c)
        difference = std::max(difference, std::abs(expected.rgb[3 * i + c] - actual.rgb[3 * i + c]));
      differing += difference > 0;
      maxDifference = std::max(maxDifference, difference);
      lit += expected.rgb[3 * i] + expected.rgb[3 * i + 1] + expected.rgb[3 * i + 2] > 0;
    }
    const std::string measured = std::string(frame) + ": " + std::to_string(differing) + " of " +
                                 std::to_string(pixels) + " pixels differ (" + std::to_string(lit) +
                                 " lit), by at most " + std::to_string(maxDifference) + " levels";
    std::printf("%s\n", measured.c_str());
    // A picture with hardly anything in it would match anything.
    EXPECT_GT(lit, pixels / 50) << measured;
    EXPECT_LE(maxDifference, kMaxLevelDifference) << measured;
    EXPECT_LE(differing, kMaxDifferingShare * pixels) << measured;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, SamePixels,
    ::testing::Values(
        Scenario{"CubeDecayFirstFrame", "--frames 1", {"frame-000001.png"}},
        Scenario{"SphereDecayFirstFrame", "--container sphere --frames 1", {"frame-000001.png"}},
        Scenario{"CubeGrowth2050", "--decay 0 --particles 2050 --frames 200 --every 100",
                 {"frame-000100.png", "frame-000200.png"}},
        Scenario{"SphereGrowth2050",
                 "--container sphere --decay 0 --particles 2050 --frames 200 --every 100",
                 {"frame-000100.png", "frame-000200.png"}},
        // Cells break at the first strike and stay broken: particles fly out.
        Scenario{"OpenCube50", "--permeability 1 --regeneration 0 --particles 50 --frames 300 --every 150",
                 {"frame-000150.png", "frame-000300.png"}},
        // Small sprites sample the texture's smallest levels.
        Scenario{"SmallSphere1000",
                 "--container sphere --permeability 21 --particles 1000 --size 320x240 --frames 300 --every 150",
                 {"frame-000150.png", "frame-000300.png"}},
        // The container changes while the scene runs, as a changed setting would.
        Scenario{"SphereThenCube", "--container sphere --frames 60 --container cube --frames 60 --every 60",
                 {"frame-000060.png", "frame-000120.png"}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
