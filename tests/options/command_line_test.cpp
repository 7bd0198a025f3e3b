// The command line of ombrel-sim, ombrel-frames and ombrel, which share the
// settings options: --help, -h and --version, and bad numbers answered with
// one line that points to --help.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/tools/run_program.h"

namespace {

struct Program {
  const char* name;
  const char* path;
  std::vector<std::string> ownBadNumbers;  // for the program's own options
};

const Program kPrograms[] = {
    {"ombrel-sim", OMBREL_SIM_PATH, {"--frames-per-second 0", "--frames-per-second nan"}},
    {"ombrel-frames", OMBREL_FRAMES_PATH, {"--every -1", "--every inf", "--size 64xnan", "--size -64x48"}},
    {"ombrel", OMBREL_HACK_PATH, {"--delay nan", "--delay -1", "--delay inf", "--delay 1e999"}},
};

// `text` with each run of spaces and line breaks made one space, as the help's
// words read across its wrapped lines.
std::string Flowing(const std::string& text) {
  std::string flowing;
  for (const char c : text) {
    const bool space = c == ' ' || c == '\n';
    if (!space) flowing += c;
    else if (flowing.empty() || flowing.back() != ' ') flowing += ' ';
  }
  return flowing;
}

class CommandLine : public ::testing::TestWithParam<Program> {
 protected:
  // Runs the program without a display, so that nothing can be drawn.
  ProgramRun Run(const std::string& args) { return RunProgram(std::string("DISPLAY= ") + GetParam().path, args); }
};

TEST_P(CommandLine, HelpPrintsTheUsageOnStdout) {
  const std::string name = GetParam().name;
  for (const char* help : {"--help", "-h", "-help", "--particles 50 --help"}) {
    const ProgramRun run = Run(help);
    EXPECT_EQ(run.exitCode, 0) << help;
    EXPECT_EQ(run.err, "") << help;
    EXPECT_EQ(run.out.rfind("Usage: " + name + " [OPTION]...\n", 0), 0u) << help << ": " << run.out;
    // Every setting with its real limit, and the answers themselves.
    for (const char* text : {"--container", "--decay", "--regeneration", "--permeability", "--particles",
                             "2100 exist, so any more count as 2100", "--clock", "--frames", "--help",
                             "--version", "Exit status"})
      EXPECT_NE(Flowing(run.out).find(text), std::string::npos) << help << ": no " << text;
  }
}

TEST_P(CommandLine, VersionIsTheNameAndTheProjectVersion) {
  const ProgramRun run = Run("--version");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, std::string(GetParam().name) + " " + OMBREL_VERSION + "\n");
  EXPECT_EQ(run.err, "");
}

TEST_P(CommandLine, BadNumbersGetOneLineThatPointsToHelpAndCodeTwo) {
  std::vector<std::string> lines = {
      "--particles ten", "--particles nan", "--particles inf", "--particles -inf", "--particles 1e999",
      "--particles -5",  "--particles 2.5", "--permeability nan", "--permeability -1", "--permeability 0x10",
      "--decay nan",     "--regeneration -1", "--clock -1", "--clock 1e999", "--frames nan", "--frames -3",
      "--particles",     "--bogus 1"};
  lines.insert(lines.end(), GetParam().ownBadNumbers.begin(), GetParam().ownBadNumbers.end());
  const std::string name = GetParam().name;
  for (const std::string& line : lines) {
    const ProgramRun run = Run(line);
    EXPECT_EQ(run.exitCode, 2) << line;
    EXPECT_EQ(run.out, "") << line;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << line << ": " << run.err;
    EXPECT_EQ(run.err.rfind(name + ": ", 0), 0u) << line << ": " << run.err;
    const std::string ending = " (see " + name + " --help)\n";
    EXPECT_TRUE(run.err.size() > ending.size() &&
                run.err.compare(run.err.size() - ending.size(), ending.size(), ending) == 0)
        << line << ": " << run.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, CommandLine, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<Program>& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
