#include "options/scenario.h"

#include "options/setting_options.h"
#include "sim/frame_seed.h"
#include "sim/random_source.h"
#include "sim/scene_parameters.h"

ProgramOption ClockOption(std::function<void(std::uint32_t)> take) {
  return WholeNumberOption("--clock", 0, UINT32_MAX, "a whole number of seconds from 0 to 4294967295", std::move(take));
}

ProgramOption FramesOption(std::function<void(std::uint32_t)> take) {
  return WholeNumberOption("--frames", 0, UINT32_MAX, "a whole number from 0 to 4294967295", std::move(take));
}

CommandLine ParseScenario(int argc, const char* const* argv, std::vector<ScenarioAction>& actions,
                          std::string& error, const std::vector<ProgramOption>& own) {
  auto action = [&actions](ScenarioAction::ActionKind kind) {
    return [&actions, kind](std::uint32_t number) { actions.push_back({kind, number, "", ""}); };
  };
  std::vector<ProgramOption> accepted = SettingOptions([&actions](const std::string& name, const std::string& value) {
    actions.push_back({ScenarioAction::kSetting, 0, name, value});
  });
  accepted.push_back(ClockOption(action(ScenarioAction::kClock)));
  accepted.push_back(WholeNumberOption("--frames-per-second", 1, UINT32_MAX, "a whole number from 1 to 4294967295",
                                       action(ScenarioAction::kFramesPerSecond)));
  accepted.push_back(FramesOption(action(ScenarioAction::kFrames)));
  accepted.insert(accepted.end(), own.begin(), own.end());
  return ParseCommandLine(argc, argv, accepted, error);
}

std::string ScenarioHelp() {
  return "  --clock T                start at calendar second T, 0 to 4294967295 (0)\n"
         "  --frames-per-second K    frames per calendar second, 1 to 4294967295 (60)\n"
         "  --frames F               run F frames, 0 to 4294967295; the scene is made\n"
         "                           at the first --frames, and later settings act on\n"
         "                           the frames after them\n";
}

void RunScenario(const std::vector<ScenarioAction>& actions, const ScenarioHooks& hooks) {
  SaverSettings = kDefaultSettings;
  std::uint32_t clock = 0;
  std::uint64_t framesPerSecond = kFramesPerClockSecond;
  std::uint64_t frameIndex = 0;
  bool initialised = false;

  auto seed = [&] {
    ReseedFromTime(FrameSecond(clock, frameIndex, framesPerSecond));
    DeriveSceneParameters();
  };
  auto initialise = [&] {
    seed();
    hooks.Initialise();
    initialised = true;
  };

  for (const ScenarioAction& a : actions) {
    switch (a.Kind) {
      case ScenarioAction::kSetting: {
        std::string unused;
        ParseSetting(a.Setting, a.Value, SaverSettings, unused);
        break;
      }
      case ScenarioAction::kClock: clock = a.Number; break;
      case ScenarioAction::kFramesPerSecond: framesPerSecond = a.Number; break;
      case ScenarioAction::kFrames:
        if (!initialised) initialise();
        for (std::uint64_t n = a.Number; n > 0; --n, ++frameIndex) {
          seed();
          hooks.Frame();
        }
        break;
    }
  }
  if (!initialised) initialise();
}
