// The options of the programs that show the scene on a display as it runs
// (ombrel on X11, ombrel-wayland), beside each program's own: the five
// settings, --delay, --fps, --clock and --frames. --frames-per-second belongs
// to the headless tools: on a display frames follow real time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "options/scenario.h"
#include "sim/scene_parameters.h"

struct DisplayOptions {
  std::uint32_t DelayMicroseconds = 16666;   // --delay: the time per step, 0 unpaced
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
