// The scenario arguments shared by the headless tools. They are applied in
// order like a script:
//
//   --container cube|sphere   --decay 0|1   --regeneration 0|1
//   --permeability P   --particles N   --clock T   --frames-per-second K
//   --frames F
//
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

struct ScenarioAction {
  enum Kind { kContainer, kDecay, kRegeneration, kPermeability, kParticles, kClock,
              kFramesPerSecond, kFrames };
  Kind kind;
  double value;  // every argument fits a double exactly (floats, 32-bit integers)
};

// A tool's own flag: called with the flag and its value; returns false with
// `error` set when the value is malformed. Flags it does not know are errors.
using ExtraFlagHandler =
    std::function<bool(const std::string& flag, const std::string& value, std::string& error)>;

// Parses argv[1..argc-1]. Returns false with a one-line `error` for an unknown
// flag, a missing value or a malformed number.
bool ParseScenario(int argc, const char* const* argv, std::vector<ScenarioAction>& actions,
                   std::string& error, const ExtraFlagHandler& extra = nullptr);

struct ScenarioHooks {
  std::function<void()> initialise;  // the scene initialisation after the reseed
  std::function<void()> frame;       // one frame of the container in force
};

// Runs the actions against the process-wide scene records.
void RunScenario(const std::vector<ScenarioAction>& actions, const ScenarioHooks& hooks);
