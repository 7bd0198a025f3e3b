// The command line that ombrel-sim, ombrel-frames and ombrel share: the five
// settings (options/setting_options.h) and the scenario options, applied in
// order like a script:
//
//   --container cube|sphere   --decay 0|1   --regeneration 0|1
//   --permeability P   --particles N   --clock T   --frames-per-second K
//   --frames F
//
// Every option may be written with one dash or two (-particles, --particles);
// --help, -h and --version ask for the usage or the version instead of a run.
// The scene is initialised when the first --frames is reached (or at the end
// if there is none), from the settings given so far: a reseed at second T,
// then the data steps of the scene initialisation. Frame i, counted over all
// --frames together, reseeds at second T + i / K and derives the scene
// parameters from the settings then in force. Settings given after the
// initialisation act on the following frames and never re-initialise.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "options/setting_options.h"
#include "sim/scene_parameters.h"

struct ScenarioAction {
  enum ActionKind { kSetting, kClock, kFramesPerSecond, kFrames };
  ActionKind Kind;
  std::uint32_t Number = 0;    // kClock, kFramesPerSecond, kFrames
  std::string Setting, Value;  // kSetting: the setting's name and its value, checked
};

// A program's own option beside the scenario arguments: its name with two
// dashes, whether a value follows it, and what to do with that value (empty
// for an option without one). `Apply` returns false with `error` set when the
// value is malformed.
struct ProgramOption {
  const char* Name;
  bool TakesValue;
  std::function<bool(const std::string& value, std::string& error)> Apply;
};

// What a command line asks for.
enum class CommandLine { kRun, kHelp, kVersion, kBadArguments };

// Parses argv[1..argc-1] up to the first --help, -h or --version. Returns
// kBadArguments with `error` set for an unknown option, a missing value or a
// malformed value.
CommandLine ParseScenario(int argc, const char* const* argv, std::vector<ScenarioAction>& actions,
                          std::string& error, const std::vector<ProgramOption>& own = {});

// Applies a setting action to `settings`; returns false for the other kinds.
bool ApplySetting(const ScenarioAction& action, SaverSettingsRecord& settings);

// The scenario options --clock, --frames-per-second and --frames for the
// headless tools' --help.
std::string ScenarioHelp();

// What a program does with a command line that asks for no run: the usage
// (kHelp) or "program VERSION" (kVersion) on stdout, returning 0 (1 when
// stdout cannot be written); for kBadArguments `error` as one line on stderr
// that ends "(see program --help)", returning 2.
int AnswerCommandLine(CommandLine asked, const char* program, const std::string& usage,
                      const std::string& error);

struct ScenarioHooks {
  std::function<void()> Initialise;  // the scene initialisation after the reseed
  std::function<void()> Frame;       // one frame of the container in force
};

// Runs the actions against the process-wide scene records.
void RunScenario(const std::vector<ScenarioAction>& actions, const ScenarioHooks& hooks);
