// Runs the real ombrel-sim program and checks its output and exit codes.
#include <gtest/gtest.h>

#include "tests/tools/run_program.h"


#include <algorithm>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace {

ProgramRun RunSim(const std::string& args) { return RunProgram(OMBREL_SIM_PATH, args); }

const std::string kFloat = R"((-?(\d+(\.\d+)?(e[-+]\d+)?|inf|nan)))";

// Checks the whole output against the line format, in its order, and
// returns the number of non-zero cube and sphere counter lines.
void ExpectWellFormed(const ProgramRun& run) {
  const std::regex random(R"(random \d+)"), frame(R"(framecounter -?\d+)");
  const std::regex particle("particle (\\d+) [01]( " + kFloat + "){6}");
  const std::regex cube(R"(cube (\d+) (-?[1-9]\d*))");
  const std::regex cubeColour("cubecolour (\\d+)( " + kFloat + "){4}");
  const std::regex sphere("sphere (\\d+) (\\d+) " + kFloat);
  const std::regex sphereColour("spherecolour (\\d+) (\\d+)( " + kFloat + "){4}");

  size_t i = 0;
  auto next = [&](const std::regex& re, std::smatch& m) {
    return i < run.lines.size() && std::regex_match(run.lines[i], m, re) && (++i, true);
  };
  std::smatch m;
  ASSERT_TRUE(next(random, m));
  ASSERT_TRUE(next(frame, m));
  for (int p = 0; p < 2100; ++p) {
    ASSERT_TRUE(next(particle, m)) << "line " << i << ": " << run.lines[i];
    ASSERT_EQ(std::stoi(m[1]), p);
  }
  for (int last = -1; next(cube, m);) {
    ASSERT_GT(std::stoi(m[1]), last);
    last = std::stoi(m[1]);
    ASSERT_LT(last, 500);
  }
  for (int slot = 0; slot < 500; ++slot) {
    ASSERT_TRUE(next(cubeColour, m)) << "line " << i;
    ASSERT_EQ(std::stoi(m[1]), slot);
  }
  for (long last = -1; next(sphere, m);) {
    const long index = std::stol(m[1]) * 360 + std::stol(m[2]);
    ASSERT_GT(index, last);
    ASSERT_LT(std::stoi(m[2]), 360);
    last = index;
  }
  for (int row = 0; row <= 180; row += 10) {
    for (int column = 0; column <= 180; column += 10) {
      ASSERT_TRUE(next(sphereColour, m)) << "line " << i;
      ASSERT_EQ(std::stoi(m[1]), row);
      ASSERT_EQ(std::stoi(m[2]), column);
    }
  }
  EXPECT_EQ(i, run.lines.size()) << "unexpected trailing lines";
}

std::string Line(const ProgramRun& run, const std::string& prefix) {
  for (const std::string& l : run.lines)
    if (l.rfind(prefix, 0) == 0) return l;
  return "";
}

// The last field of the first line that starts with `prefix`.
std::string LastField(const ProgramRun& run, const std::string& prefix) {
  const std::string line = Line(run, prefix);
  return line.substr(line.rfind(' ') + 1);
}

int CountPrefix(const ProgramRun& run, const std::string& prefix) {
  int n = 0;
  for (const std::string& l : run.lines) n += l.rfind(prefix, 0) == 0;
  return n;
}

}  // namespace

TEST(OmbrelSim, WithoutFramesPrintsTheFreshSceneAtSecondZero) {
  const ProgramRun run = RunSim("");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ExpectWellFormed(run);
  EXPECT_EQ(run.lines[1], "framecounter 4");
  EXPECT_EQ(CountPrefix(run, "cube "), 0);
  EXPECT_EQ(CountPrefix(run, "sphere "), 0);
  // Decay by default: every base alpha is 0.6 in single precision.
  EXPECT_EQ(LastField(run, "cubecolour 499"), "0.600000024");
}

TEST(OmbrelSim, WornScenesAreWellFormedAndRepeatable) {
  for (const char* args : {"--particles 2050 --frames 600",
                           "--container sphere --particles 2050 --frames 600",
                           "--container sphere --decay 0 --permeability 1 --frames 300"}) {
    const ProgramRun first = RunSim(args);
    ASSERT_EQ(first.exitCode, 0) << args << ": " << first.err;
    ExpectWellFormed(first);
    EXPECT_GT(CountPrefix(first, "cube ") + CountPrefix(first, "sphere "), 0) << args;
    EXPECT_EQ(RunSim(args).out, first.out) << args;
  }
}

TEST(OmbrelSim, FramesCountAcrossSeveralFrameArguments) {
  const ProgramRun once = RunSim("--clock 1000 --frames-per-second 7 --frames 40");
  const ProgramRun split = RunSim("--clock 1000 --frames-per-second 7 --frames 15 --frames 25");
  ASSERT_EQ(once.exitCode, 0);
  EXPECT_EQ(once.lines[1], "framecounter 44");
  EXPECT_EQ(split.out, once.out);
  // Another rate changes which second each frame reseeds from.
  EXPECT_NE(RunSim("--clock 1000 --frames-per-second 8 --frames 40").out, once.out);
}

TEST(OmbrelSim, SettingsAfterInitialisationActOnlyOnLaterFrames) {
  // Growth before the scene exists makes the cells start invisible...
  const ProgramRun before = RunSim("--decay 0 --frames 0");
  EXPECT_EQ(LastField(before, "cubecolour 0"), "0");
  // ...after it, the cells keep the base alpha they were given.
  const ProgramRun after = RunSim("--frames 0 --decay 0");
  EXPECT_EQ(LastField(after, "cubecolour 0"), "0.600000024");
  // Records beyond the count in play keep their state until the count grows.
  const ProgramRun initial = RunSim("--frames 0");
  const ProgramRun few = RunSim("--particles 50 --frames 100");
  const ProgramRun grown = RunSim("--particles 50 --frames 100 --particles 2050 --frames 1");
  EXPECT_EQ(Line(few, "particle 1000 "), Line(initial, "particle 1000 "));
  EXPECT_NE(Line(few, "particle 49 "), Line(initial, "particle 49 "));
  EXPECT_NE(Line(grown, "particle 1000 "), Line(initial, "particle 1000 "));
  EXPECT_EQ(Line(grown, "framecounter"), "framecounter 105");
}

TEST(OmbrelSim, StoredValuesOutsideTheSettingsRangesRunToTheEnd) {
  for (const char* args : {"--permeability 0 --particles 2050 --frames 400",
                           "--permeability 0 --container sphere --particles 2050 --frames 400",
                           "--permeability 4294967295 --particles 2050 --frames 400",
                           "--particles 1e9 --frames 50", "--particles 0 --frames 50",
                           "--clock 4294967295 --frames-per-second 1 --frames 3"}) {
    const ProgramRun run = RunSim(args);
    ASSERT_EQ(run.exitCode, 0) << args << ": " << run.err;
    ExpectWellFormed(run);
  }
}

TEST(OmbrelSim, OutOfRangeValuesActAsDocumented) {
  // More particles than the 2100 that exist move all of them.
  const ProgramRun all = RunSim("--particles 2100 --frames 50");
  EXPECT_EQ(RunSim("--particles 5000 --frames 50").out, all.out);
  EXPECT_EQ(RunSim("--particles 1e12 --frames 50").out, all.out);
  EXPECT_NE(RunSim("--particles 2050 --frames 50").out, all.out);
  // Flags take every number but 0 as 1.
  EXPECT_EQ(RunSim("--decay 7 --regeneration 2 --frames 50").out, RunSim("--frames 50").out);
  // Numbers above the largest stored one count as that one.
  EXPECT_EQ(RunSim("--permeability 1e15 --frames 50").out, RunSim("--permeability 4294967295 --frames 50").out);

  // Permeability 0 lets particles through every cell: none bounces, so no
  // cell is ever counted, and particles are outside.
  const ProgramRun open = RunSim("--permeability 0 --particles 2050 --frames 200");
  EXPECT_EQ(CountPrefix(open, "cube "), 0);
  int outside = 0;
  for (const std::string& line : open.lines) {
    int index = 0, flag = 0;
    outside += std::sscanf(line.c_str(), "particle %d %d", &index, &flag) == 2 && flag == 1;
  }
  EXPECT_GT(outside, 100);
}

TEST(OmbrelSim, BadArgumentsGetOneLineAndExitCodeTwo) {
  for (const char* args : {"--colour red", "--frames", "--frames ten", "--frames 1.5",
                           "--frames -1", "--clock 4294967296", "--clock -1", "--decay -2",
                           "--regeneration yes", "--container cone", "--permeability 1x",
                           "--particles ''", "--frames-per-second 0", "frames 3",
                           "--permeability -3", "--permeability nan", "--particles -7", "--particles 1e999",
                           "--container 'cu\nbe'", "'--bogus\r\nflag' 1", "--frames '1\n2'"}) {
    const ProgramRun run = RunSim(args);
    EXPECT_EQ(run.exitCode, 2) << args;
    EXPECT_TRUE(run.out.empty()) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << args;
  }
  // Both dash forms name the same option.
  EXPECT_EQ(RunSim("-particles 50 -frames 3").out, RunSim("--particles 50 --frames 3").out);
}
