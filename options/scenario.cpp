#include "options/scenario.h"

#include <cstdio>

#include "sim/random_source.h"
#include "sim/scene_parameters.h"

namespace {

struct ScenarioFlag {
  const char* Name;
  ScenarioAction::ActionKind Kind;
  std::uint32_t Least;
  const char* Expects;
};

const ScenarioFlag kScenarioFlags[] = {
    {"--clock", ScenarioAction::kClock, 0, "a whole number of seconds from 0 to 4294967295"},
    {"--frames-per-second", ScenarioAction::kFramesPerSecond, 1, "a whole number from 1 to 4294967295"},
    {"--frames", ScenarioAction::kFrames, 0, "a whole number from 0 to 4294967295"},
};

// "-name" and "--name" both stand for "--name"; anything else is no option.
bool OptionName(const std::string& argument, std::string& name) {
  if (argument.size() < 2 || argument[0] != '-') return false;
  name = argument[1] == '-' ? argument : "-" + argument;
  return name.size() > 2 && name[2] != '-';
}

}  // namespace

CommandLine ParseScenario(int argc, const char* const* argv, std::vector<ScenarioAction>& actions,
                          std::string& error, const std::vector<ProgramOption>& own) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    std::string flag;
    if (argument == "-h") return CommandLine::kHelp;
    if (!OptionName(argument, flag)) {
      error = "unknown argument: " + argument;
      return CommandLine::kBadArguments;
    }
    if (flag == "--help") return CommandLine::kHelp;
    if (flag == "--version") return CommandLine::kVersion;

    const ScenarioFlag* scenario = nullptr;
    for (const ScenarioFlag& f : kScenarioFlags)
      if (flag == f.Name) scenario = &f;
    const ProgramOption* option = nullptr;
    for (const ProgramOption& o : own)
      if (flag == o.Name) option = &o;
    const bool setting = IsSettingName(flag.substr(2));
    if (scenario == nullptr && option == nullptr && !setting) {
      error = "unknown argument: " + argument;
      return CommandLine::kBadArguments;
    }

    if (option != nullptr && !option->TakesValue) {
      if (!option->Apply("", error)) return CommandLine::kBadArguments;
      continue;
    }
    if (i + 1 >= argc) {
      error = "missing value after " + flag;
      return CommandLine::kBadArguments;
    }
    const std::string text = argv[++i];
    if (option != nullptr) {
      if (!option->Apply(text, error)) return CommandLine::kBadArguments;
    } else if (setting) {
      // Checked here against a scratch record; applied when the run gets here.
      SaverSettingsRecord scratch = kDefaultSettings;
      std::string expected;
      if (ParseSetting(flag.substr(2), text, scratch, expected) != SettingStatus::kSet) {
        error = ExpectsMessage(flag, expected, text);
        return CommandLine::kBadArguments;
      }
      actions.push_back({ScenarioAction::kSetting, 0, flag.substr(2), text});
    } else {
      const std::optional<std::uint32_t> number = ParseUint32(text);
      if (!number || *number < scenario->Least) {
        error = ExpectsMessage(flag, scenario->Expects, text);
        return CommandLine::kBadArguments;
      }
      actions.push_back({scenario->Kind, *number, "", ""});
    }
  }
  return CommandLine::kRun;
}

bool ApplySetting(const ScenarioAction& action, SaverSettingsRecord& settings) {
  if (action.Kind != ScenarioAction::kSetting) return false;
  std::string unused;
  ParseSetting(action.Setting, action.Value, settings, unused);
  return true;
}

std::string ScenarioHelp() {
  return "  --clock T                start at calendar second T, 0 to 4294967295 (0)\n"
         "  --frames-per-second K    frames per calendar second, 1 to 4294967295 (60)\n"
         "  --frames F               run F frames, 0 to 4294967295; the scene is made\n"
         "                           at the first --frames, and later settings act on\n"
         "                           the frames after them\n";
}

int AnswerCommandLine(CommandLine asked, const char* program, const std::string& usage,
                      const std::string& error) {
  if (asked == CommandLine::kBadArguments) {
    ReportArgumentError(program, error);
    return 2;
  }
  if (asked == CommandLine::kHelp) std::fputs(usage.c_str(), stdout);
  else std::printf("%s %s\n", program, OmbrelVersion());
  if (std::fflush(stdout) != 0) {
    ReportError(program, "cannot write to standard output");
    return 1;
  }
  return 0;
}

void RunScenario(const std::vector<ScenarioAction>& actions, const ScenarioHooks& hooks) {
  SaverSettings = kDefaultSettings;
  std::uint32_t clock = 0;
  std::uint64_t framesPerSecond = 60;
  std::uint64_t frameIndex = 0;
  bool initialised = false;

  auto initialise = [&] {
    ReseedFromTime(clock);
    DeriveSceneParameters();
    hooks.Initialise();
    initialised = true;
  };

  for (const ScenarioAction& a : actions) {
    if (ApplySetting(a, SaverSettings)) continue;
    switch (a.Kind) {
      case ScenarioAction::kClock: clock = a.Number; break;
      case ScenarioAction::kFramesPerSecond: framesPerSecond = a.Number; break;
      case ScenarioAction::kFrames:
        if (!initialised) initialise();
        for (std::uint64_t n = a.Number; n > 0; --n, ++frameIndex) {
          // The calendar second wraps with the clock's low 32 bits.
          ReseedFromTime(static_cast<std::uint32_t>(clock + frameIndex / framesPerSecond));
          DeriveSceneParameters();
          hooks.Frame();
        }
        break;
      default:
        break;
    }
  }
  if (!initialised) initialise();
}
