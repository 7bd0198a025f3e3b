// The command line that ombrel-sim and ombrel-frames share: the five
// settings (options/setting_options.h) and the scenario options, applied in
// order like a script:
//
//   --container cube|sphere   --decay 0|1   --regeneration 0|1
//   --permeability P   --particles N   --clock T   --frames-per-second K
//   --frames F
//
// The scene is initialised when the first --frames is reached (or at the end
// if there is none), from the settings given so far: a reseed at second T,
// then the data steps of the scene initialisation. Frame i, counted over all
// --frames together, reseeds at second T + i / K (sim/frame_seed.h) and
// derives the scene parameters from the settings then in force. Settings
// given after the initialisation act on the following frames and never
// re-initialise.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "options/command_line.h"

struct ScenarioAction {
  enum ActionKind { kSetting, kClock, kFramesPerSecond, kFrames };
  ActionKind Kind;
  std::uint32_t Number = 0;    // kClock, kFramesPerSecond, kFrames
  std::string Setting, Value;  // kSetting: the setting's name and its value, checked
};

// --clock T and --frames F, as every program that takes them reads them.
ProgramOption ClockOption(std::function<void(std::uint32_t)> take);
ProgramOption FramesOption(std::function<void(std::uint32_t)> take);

// Parses argv[1..argc-1] up to the first --help, -h or --version into
// `actions`, with the program's `own` options besides. Returns kBadArguments
// with `error` set for an unknown option, a missing value or a malformed
// value.
CommandLine ParseScenario(int argc, const char* const* argv, std::vector<ScenarioAction>& actions,
                          std::string& error, const std::vector<ProgramOption>& own = {});

// The scenario options --clock, --frames-per-second and --frames for the
// headless tools' --help.
std::string ScenarioHelp();

struct ScenarioHooks {
  std::function<void()> Initialise;  // the scene initialisation after the reseed
  std::function<void()> Frame;       // one frame of the container in force
};

// Runs the actions against the process-wide scene records.
void RunScenario(const std::vector<ScenarioAction>& actions, const ScenarioHooks& hooks);
