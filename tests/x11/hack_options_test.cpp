// The X11 program's command line: every option in both dash forms, window
// ids in hex and decimal, bad values, and which window it draws into.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/display_manual.h"
#include "x11/hack_options.h"

namespace {

// Parses a command line given as words (the program's name is added); true
// when it asks for a run.
bool Parse(std::initializer_list<const char*> words, HackOptions& options, std::string& error) {
  std::vector<const char*> argv{"ombrel"};
  argv.insert(argv.end(), words);
  return ParseHackOptions(static_cast<int>(argv.size()), argv.data(), options, error) == CommandLine::kRun;
}

bool SameSettings(const SaverSettingsRecord& a, const SaverSettingsRecord& b) {
  return a.ObjectType == b.ObjectType && a.Decay == b.Decay && a.Regeneration == b.Regeneration &&
         a.Permeability == b.Permeability && a.SpawnPoints == b.SpawnPoints && a.Resolution == b.Resolution;
}

TEST(HackOptions, NothingGivenIsOwnWindowAtSixtyFramesWithTheWindowsDefaults) {
  HackOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, options, error)) << error;
  EXPECT_FALSE(options.Root);
  EXPECT_FALSE(options.WindowId);
  EXPECT_EQ(options.DelayMicroseconds, 16666u);
  EXPECT_EQ(options.Scale, 1.0);
  EXPECT_FALSE(options.ShowFps);
  EXPECT_FALSE(options.Clock);
  EXPECT_FALSE(options.Frames);
  EXPECT_EQ(options.Gl, GlChoice::kAuto);
  EXPECT_FALSE(options.Verbose);
  EXPECT_TRUE(SameSettings(options.Settings, kDefaultSettings));
  EXPECT_TRUE(SameSettings(options.Settings, {kCubeObject, 1, 1, 10.0f, 250.0f, 0}));
}

TEST(HackOptions, EveryOptionWithOneDashOrTwo) {
  for (const std::string dashes : {"-", "--"}) {
    auto flag = [&](const char* name) { return dashes + name; };
    const std::vector<std::string> words = {
        flag("root"), flag("window-id"), "0x2A", flag("delay"), "0", flag("fps"),
        flag("clock"), "4294967295", flag("frames"), "7", flag("container"), "sphere",
        flag("decay"), "0", flag("regeneration"), "0", flag("permeability"), "21",
        flag("particles"), "2050", flag("gl"), "glx", flag("verbose"), flag("scale"), "0.5"};
    std::vector<const char*> argv{"ombrel"};
    for (const std::string& word : words) argv.push_back(word.c_str());
    HackOptions options;
    std::string error;
    ASSERT_EQ(ParseHackOptions(static_cast<int>(argv.size()), argv.data(), options, error), CommandLine::kRun)
        << dashes << ": " << error;
    EXPECT_TRUE(options.Root);
    EXPECT_EQ(options.WindowId, 42ul);
    EXPECT_EQ(options.DelayMicroseconds, 0u);
    EXPECT_EQ(options.Scale, 0.5);
    EXPECT_TRUE(options.ShowFps);
    EXPECT_EQ(options.Clock, 4294967295u);
    EXPECT_EQ(options.Frames, 7u);
    EXPECT_EQ(options.Gl, GlChoice::kGlx);
    EXPECT_TRUE(options.Verbose);
    EXPECT_TRUE(SameSettings(options.Settings, {kSphereObject, 0, 0, 21.0f, 2050.0f, 0})) << dashes;
  }
}

TEST(HackOptions, TheLastOfARepeatedOptionCounts) {
  HackOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--particles", "50", "--delay", "5", "--container", "sphere", "--particles", "450",
                     "--delay", "100000", "--container", "cube", "--window-id", "9", "--window-id", "10",
                     "--gl", "glx", "--gl", "egl"},
                    options, error))
      << error;
  EXPECT_EQ(options.Settings.SpawnPoints, 450.0f);
  EXPECT_EQ(options.DelayMicroseconds, 100000u);
  EXPECT_EQ(options.Settings.ObjectType, kCubeObject);
  EXPECT_EQ(options.WindowId, 10ul);
  EXPECT_EQ(options.Gl, GlChoice::kEgl);
}

TEST(HackOptions, GlNamesEachPath) {
  const std::pair<const char*, GlChoice> names[] = {
      {"auto", GlChoice::kAuto}, {"glx-es", GlChoice::kGlxEs}, {"egl", GlChoice::kEgl}, {"glx", GlChoice::kGlx}};
  for (const auto& [name, choice] : names) {
    HackOptions options;
    options.Gl = GlChoice::kGlx;
    std::string error;
    ASSERT_TRUE(Parse({"--gl", name}, options, error)) << name << ": " << error;
    EXPECT_EQ(options.Gl, choice) << name;
  }
}

TEST(HackOptions, WindowIdsInHexOrDecimal) {
  struct Case {
    const char* text;
    unsigned long id;  // 0: not an id
  } cases[] = {
      {"0x400008", 0x400008}, {"0X1a00003", 0x1a00003}, {"4194312", 4194312}, {"1", 1},
      {"0xffffffff", 0xffffffff}, {"4294967295", 4294967295}, {"0", 0}, {"0x0", 0}, {"0x", 0},
      {"", 0}, {"0x100000000", 0}, {"4294967296", 0}, {"-5", 0}, {"+5", 0}, {" 5", 0},
      {"12abc", 0}, {"0x0x5", 0}, {"0x-1", 0}, {"x10", 0}, {"0xg", 0},
  };
  for (const Case& c : cases) {
    const std::optional<unsigned long> id = ParseWindowId(c.text);
    if (c.id == 0) {
      EXPECT_FALSE(id) << "'" << c.text << "' read as " << id.value_or(0);
    } else {
      EXPECT_EQ(id, c.id) << c.text;
    }
  }
}

TEST(HackOptions, BadArgumentsAreRefusedWithAMessage) {
  const std::vector<std::vector<const char*>> lines = {
      {"--window-id"}, {"--window-id", "0"}, {"--window-id", "zero"}, {"--window-id", "0x"},
      {"--delay"}, {"--delay", "-1"}, {"--delay", "10000001"}, {"--delay", "1.5"}, {"--delay", ""},
      {"--frames-per-second", "60"}, {"-frames-per-second", "60"}, {"--container", "box"},
      {"--decay", "-1"}, {"--regeneration", "yes"}, {"--permeability", "low"}, {"--particles", "many"},
      {"--clock", "-1"}, {"--frames", "4294967296"}, {"--size", "320x240"}, {"root"}, {"---root"},
      {"-"}, {"--fps", "extra"}, {"--gl"}, {"--gl", "GLX"}, {"--gl", "opengl"}, {"--gl", ""},
      {"--gl", "gles"}, {"--gl", "glx_es"}, {"--gl", "glx-es,egl"},
      {"--verbose", "1"}, {"--scale"}, {"--scale", "0.2"}, {"--scale", "1.01"}, {"--scale", "0"},
      {"--scale", "-0.5"}, {"--scale", "5e-1"}, {"--scale", "0,5"}, {"--scale", "."}, {"--scale", ""},
      {"--scale", "half"}};
  for (const std::vector<const char*>& line : lines) {
    std::vector<const char*> argv{"ombrel"};
    argv.insert(argv.end(), line.begin(), line.end());
    HackOptions options;
    std::string error;
    EXPECT_EQ(ParseHackOptions(static_cast<int>(argv.size()), argv.data(), options, error),
              CommandLine::kBadArguments)
        << line[0];
    EXPECT_FALSE(error.empty()) << line[0];
  }
}

TEST(HackOptions, HelpAndVersionAreAnsweredBeforeLaterArguments) {
  const struct {
    std::vector<const char*> line;
    CommandLine asked;
  } cases[] = {
      {{"--help"}, CommandLine::kHelp},
      {{"-h"}, CommandLine::kHelp},
      {{"-help"}, CommandLine::kHelp},
      {{"--root", "--version"}, CommandLine::kVersion},
      {{"--help", "--bogus"}, CommandLine::kHelp},
      {{"--bogus", "--help"}, CommandLine::kBadArguments},
      {{"--particles", "-h"}, CommandLine::kBadArguments},  // a value, not the option
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv{"ombrel"};
    argv.insert(argv.end(), c.line.begin(), c.line.end());
    HackOptions options;
    std::string error;
    EXPECT_EQ(ParseHackOptions(static_cast<int>(argv.size()), argv.data(), options, error), c.asked)
        << c.line.back();
  }
}

TEST(HackOptions, TheLongestDelayIsTenSeconds) {
  HackOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--delay", "10000000"}, options, error)) << error;
  EXPECT_EQ(options.DelayMicroseconds, kMaxDelayMicroseconds);
}

// --scale takes a decimal fraction from a quarter to one, as XScreenSaver's
// settings write a slider's value too ("0.5000"); anything else is named.
TEST(HackOptions, TheScaleIsAFractionFromAQuarterToOne) {
  const std::pair<const char*, double> cases[] = {{"0.25", 0.25}, {"1", 1}, {"1.0", 1}, {".75", 0.75},
                                                  {"0.5000", 0.5}, {"0.333", 0.333}};
  for (const auto& [text, scale] : cases) {
    HackOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--scale", text}, options, error)) << text << ": " << error;
    EXPECT_EQ(options.Scale, scale) << text;
  }
  HackOptions options;
  std::string error;
  EXPECT_FALSE(Parse({"--scale", "0.2"}, options, error));
  EXPECT_EQ(error, "--scale expects a number from 0.25 to 1, not '0.2'");
}

TEST(HackOptions, WhichWindowItDrawsInto) {
  HackOptions own, root, given, both;
  root.Root = true;
  given.WindowId = 0x1234;
  both.Root = true;
  both.WindowId = 0x1234;
  struct Case {
    const HackOptions& options;
    const char* environment;  // XSCREENSAVER_WINDOW
    WindowChoice::WindowKind kind;
    unsigned long id;
  } cases[] = {
      {own, nullptr, WindowChoice::kOwnWindow, 0},
      {own, "0x400008", WindowChoice::kOwnWindow, 0},  // only --root looks at the variable
      {root, nullptr, WindowChoice::kRootWindow, 0},
      {root, "0x400008", WindowChoice::kGivenWindow, 0x400008},
      {root, "4194312", WindowChoice::kGivenWindow, 4194312},
      {given, nullptr, WindowChoice::kGivenWindow, 0x1234},
      {both, "0x400008", WindowChoice::kGivenWindow, 0x1234},  // --window-id wins
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<WindowChoice> choice = ChooseWindow(c.options, c.environment, error);
    ASSERT_TRUE(choice) << error;
    EXPECT_EQ(choice->Kind, c.kind) << (c.environment ? c.environment : "unset");
    if (c.kind == WindowChoice::kGivenWindow) {
      EXPECT_EQ(choice->Id, c.id);
    }
  }

  for (const char* environment : {"", "root", "0", "0x"}) {
    std::string error;
    EXPECT_FALSE(ChooseWindow(root, environment, error)) << environment;
    EXPECT_NE(error.find("XSCREENSAVER_WINDOW"), std::string::npos) << error;
  }
}

// The manual page names every option of --help and says each exit status
// in the help's words.
TEST(HackOptions, TheManualPageFollowsTheHelp) {
  EXPECT_TRUE(ManualMatchesHelp(OMBREL_SOURCE_DIR "/x11/ombrel.6", HackUsageParts()));
}

}  // namespace
