// Runs the real ombrel-frames program: which files it writes, their size,
// repeatability, and its answers to bad arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/tools/run_program.h"

namespace {

namespace fs = std::filesystem;

ProgramRun RunFrames(const std::string& args) { return RunProgram(OMBREL_FRAMES_PATH, args); }

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Width and height from a PNG file's header chunk.
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
  auto word = [&](size_t at) {
    return (unsigned(std::uint8_t(png[at])) << 24) | (unsigned(std::uint8_t(png[at + 1])) << 16) |
           (unsigned(std::uint8_t(png[at + 2])) << 8) | unsigned(std::uint8_t(png[at + 3]));
  };
  return {word(16), word(20)};
}

std::vector<std::string> FileNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class OmbrelFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("ombrel_frames_" + std::to_string(getpid()));
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(OmbrelFrames, WritesEveryNthFrameAsPngOfTheAskedSize) {
  const std::string args = "--size 64x48 --particles 2050 --frames 6 --every 2 --out " + dir_.string();
  const ProgramRun run = RunFrames(args);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_EQ(FileNames(dir_), (std::vector<std::string>{"frame-000002.png", "frame-000004.png",
                                                       "frame-000006.png"}));
  const std::string png = Read(dir_ / "frame-000006.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(PngSize(png), std::make_pair(64u, 48u));
  EXPECT_NE(Read(dir_ / "frame-000002.png"), png) << "the scene turns between frames";

  // The same scenario gives the same pictures.
  const fs::path first = dir_ / "first.png";
  fs::rename(dir_ / "frame-000006.png", first);
  ASSERT_EQ(RunFrames(args).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "frame-000006.png"), Read(first));
}

TEST_F(OmbrelFrames, BadArgumentsGetOneLineAndExitCodeTwo) {
  for (const char* args : {"--size 0x48", "--size 64", "--size 64x", "--size axb", "--every 0",
                           "--every two", "--out ''", "--colour red", "--frames x", "--size",
                           "--size '64\nx48'"}) {
    const ProgramRun run = RunFrames(args);
    EXPECT_EQ(run.exitCode, 2) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
  }
  EXPECT_FALSE(fs::exists("frames")) << "nothing written for bad arguments";

  // A folder that cannot be made is reported on one line too, with exit code 1.
  const ProgramRun run = RunFrames("--frames 1 --out '/proc/no\nsuch'");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

}  // namespace
