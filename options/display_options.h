// The options of the programs that show the scene on a display as it runs
// (ombrel on X11, ombrel-wayland), beside each program's own: the five
// settings, --delay, --scale, --fps, --clock and --frames; and the one text of their
// --help, made from the program's own options and exit statuses.
// --frames-per-second belongs to the headless tools: on a display the test
// clock counts 60 frames a second (sim/frame_seed.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "options/command_line.h"
#include "options/render_scale.h"
#include "sim/scene_parameters.h"

struct DisplayOptions {
  std::uint32_t DelayMicroseconds = 16666;   // --delay: the time per frame, 0 unpaced
  double Scale = kMostScale;                 // --scale: the render scale (options/render_scale.h)
  bool ShowFps = false;                      // --fps
  std::optional<std::uint32_t> Clock;        // --clock: the calendar second of the first frame
  std::optional<std::uint32_t> Frames;       // --frames: end after this many frames
  SaverSettingsRecord Settings = kDefaultSettings;
};

// The longest --delay, ten seconds.
constexpr std::uint32_t kMaxDelayMicroseconds = 10'000'000;

// Parses argv[1..argc-1] into `options`, with the program's `own` options
// besides. Returns kBadArguments with `error` set (for one line on stderr)
// for an unknown option, a missing or malformed value; kHelp or kVersion
// when they are asked for.
CommandLine ParseDisplayOptions(int argc, const char* const* argv, DisplayOptions& options, std::string& error,
                                std::vector<ProgramOption> own);

// One option of a program's help: "--idle SECONDS" and what it does.
struct OptionHelp {
  const char* Option;
  const char* Text;
};

// One exit status and when a program ends with it: {1, "when it cannot
// draw ..."}; the help and the manual page say "1 when it cannot draw ...".
struct ExitStatus {
  int Code;
  const char* When;
};

// What a display program's --help holds beside the shared options.
struct DisplayUsageParts {
  const char* Program;               // "ombrel-wayland"
  const char* About;                 // what it does, one paragraph
  std::vector<OptionHelp> Own;       // its own options, listed first
  std::vector<ExitStatus> Statuses;  // every exit status, in order of code
};

// The shared options' help, one entry each, in the order the help lists
// them after the program's own.
const std::vector<OptionHelp>& DisplayOptionsHelp();

// "Exit status: 0 when ...; 1 when ...; 2 for bad arguments." as one
// sentence, for the help (wrapped) and the tests that hold the manual pages
// to it.
std::string ExitStatusText(const std::vector<ExitStatus>& statuses);

// The program's whole --help: usage line, `About`, its own options, the
// shared ones, the settings, the signals and the exit statuses.
std::string DisplayUsage(const DisplayUsageParts& parts);
