#include "tools/scenario.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sim/random_source.h"
#include "sim/scene_parameters.h"

namespace {

bool ParseFloat(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (*end != '\0') return false;
  out = value;
  return true;
}

bool ParseWhole(const std::string& text, std::uint64_t low, std::uint64_t high, double& out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || value < low || value > high) return false;
  out = static_cast<double>(value);
  return true;
}

struct FlagInfo {
  const char* name;
  ScenarioAction::Kind kind;
  const char* expects;
};

const FlagInfo kFlags[] = {
    {"--container", ScenarioAction::kContainer, "cube or sphere"},
    {"--decay", ScenarioAction::kDecay, "0 or 1"},
    {"--regeneration", ScenarioAction::kRegeneration, "0 or 1"},
    {"--permeability", ScenarioAction::kPermeability, "a number"},
    {"--particles", ScenarioAction::kParticles, "a number"},
    {"--clock", ScenarioAction::kClock, "a whole number of seconds from 0 to 4294967295"},
    {"--frames-per-second", ScenarioAction::kFramesPerSecond, "a whole number from 1 to 4294967295"},
    {"--frames", ScenarioAction::kFrames, "a whole number from 0 to 4294967295"},
};

bool ParseValue(ScenarioAction::Kind kind, const std::string& text, double& value) {
  switch (kind) {
    case ScenarioAction::kContainer:
      if (text != "cube" && text != "sphere") return false;
      value = text == "cube" ? kCubeObject : kSphereObject;
      return true;
    case ScenarioAction::kDecay:
    case ScenarioAction::kRegeneration:
      if (text != "0" && text != "1") return false;
      value = text == "1" ? 1 : 0;
      return true;
    case ScenarioAction::kPermeability:
    case ScenarioAction::kParticles:
      return ParseFloat(text, value);
    case ScenarioAction::kClock:
    case ScenarioAction::kFrames:
      return ParseWhole(text, 0, UINT32_MAX, value);
    case ScenarioAction::kFramesPerSecond:
      return ParseWhole(text, 1, UINT32_MAX, value);
  }
  return false;
}

// "-name" and "--name" both stand for "--name"; anything else is no option.
bool OptionName(const std::string& argument, std::string& name) {
  if (argument.size() < 2 || argument[0] != '-') return false;
  name = argument[1] == '-' ? argument : "-" + argument;
  return name.size() > 2 && name[2] != '-';
}

}  // namespace

bool ParseScenario(int argc, const char* const* argv, std::vector<ScenarioAction>& actions,
                   std::string& error, const std::vector<ProgramOption>& own) {
  for (int i = 1; i < argc; ++i) {
    std::string flag;
    if (!OptionName(argv[i], flag)) {
      error = std::string("unknown argument: ") + argv[i];
      return false;
    }
    const FlagInfo* info = nullptr;
    for (const FlagInfo& f : kFlags)
      if (flag == f.name) info = &f;
    const ProgramOption* option = nullptr;
    for (const ProgramOption& o : own)
      if (flag == o.name) option = &o;
    if (info == nullptr && option == nullptr) {
      error = std::string("unknown argument: ") + argv[i];
      return false;
    }

    if (option != nullptr && !option->takesValue) {
      if (!option->apply("", error)) return false;
      continue;
    }
    if (i + 1 >= argc) {
      error = "missing value after " + flag;
      return false;
    }
    const std::string text = argv[++i];
    if (option != nullptr) {
      if (!option->apply(text, error)) return false;
      continue;
    }
    double value = 0;
    if (!ParseValue(info->kind, text, value)) {
      error = flag + " expects " + info->expects + ", not '" + text + "'";
      return false;
    }
    actions.push_back({info->kind, value});
  }
  return true;
}

bool ApplySetting(const ScenarioAction& a, SaverSettingsRecord& settings) {
  switch (a.kind) {
    case ScenarioAction::kContainer: settings.ObjectType = static_cast<std::uint8_t>(a.value); return true;
    case ScenarioAction::kDecay: settings.Decay = static_cast<std::uint8_t>(a.value); return true;
    case ScenarioAction::kRegeneration: settings.Regeneration = static_cast<std::uint8_t>(a.value); return true;
    case ScenarioAction::kPermeability: settings.Permeability = static_cast<float>(a.value); return true;
    case ScenarioAction::kParticles: settings.SpawnPoints = static_cast<float>(a.value); return true;
    default: return false;
  }
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
    hooks.initialise();
    initialised = true;
  };

  for (const ScenarioAction& a : actions) {
    if (ApplySetting(a, SaverSettings)) continue;
    switch (a.kind) {
      case ScenarioAction::kClock: clock = static_cast<std::uint32_t>(a.value); break;
      case ScenarioAction::kFramesPerSecond: framesPerSecond = static_cast<std::uint64_t>(a.value); break;
      case ScenarioAction::kFrames:
        if (!initialised) initialise();
        for (std::uint64_t n = static_cast<std::uint64_t>(a.value); n > 0; --n, ++frameIndex) {
          // The calendar second wraps with the clock's low 32 bits.
          ReseedFromTime(static_cast<std::uint32_t>(clock + frameIndex / framesPerSecond));
          DeriveSceneParameters();
          hooks.frame();
        }
        break;
      default:
        break;
    }
  }
  if (!initialised) initialise();
}

void ReportError(const char* program, const std::string& message) {
  std::string line;
  for (const unsigned char c : message) {
    if (c == '\n') line += "\\n";
    else if (c == '\t') line += "\\t";
    else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      line += escape;
    } else line += static_cast<char>(c);
  }
  std::fprintf(stderr, "%s: %s\n", program, line.c_str());
}
