// The scenario arguments shared by the headless tools and the X11 host. They
// are applied in order like a script:
//
//   --container cube|sphere   --decay 0|1   --regeneration 0|1
//   --permeability P   --particles N   --clock T   --frames-per-second K
//   --frames F
//
// Every option may be written with one dash or two (-particles, --particles).
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

#include "sim/scene_parameters.h"

struct ScenarioAction {
  enum Kind { kContainer, kDecay, kRegeneration, kPermeability, kParticles, kClock,
              kFramesPerSecond, kFrames };
  Kind kind;
  double value;  // every argument fits a double exactly (floats, 32-bit integers)
};

// A program's own option beside the scenario arguments: its name with two
// dashes, whether a value follows it, and what to do with that value (empty
// for an option without one). `apply` returns false with `error` set when the
// value is malformed.
struct ProgramOption {
  const char* name;
  bool takesValue;
  std::function<bool(const std::string& value, std::string& error)> apply;
};

// Parses argv[1..argc-1]. Returns false with `error` set for an unknown
// option, a missing value or a malformed value.
bool ParseScenario(int argc, const char* const* argv, std::vector<ScenarioAction>& actions,
                   std::string& error, const std::vector<ProgramOption>& own = {});

// Applies a settings action (container, decay, regeneration, permeability,
// particles) to `settings`; returns false for the other kinds.
bool ApplySetting(const ScenarioAction& action, SaverSettingsRecord& settings);

struct ScenarioHooks {
  std::function<void()> initialise;  // the scene initialisation after the reseed
  std::function<void()> frame;       // one frame of the container in force
};

// Runs the actions against the process-wide scene records.
void RunScenario(const std::vector<ScenarioAction>& actions, const ScenarioHooks& hooks);

// Prints "program: message" as one line on stderr, whatever the message
// quotes from the command line: control characters are written as escapes
// (\n, \t, \xNN), so a newline in an argument cannot split the message.
void ReportError(const char* program, const std::string& message);
