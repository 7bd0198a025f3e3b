#include "web/page_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/scenario.h"

namespace {

bool IsSettingName(const std::string& name) {
  return name == "container" || name == "decay" || name == "regeneration" || name == "permeability" ||
         name == "particles";
}

// One setting read by the command line's rules, as if "--name value" had been given.
bool ParseSettingText(const std::string& name, const std::string& value, SaverSettingsRecord& settings,
                      std::string& error) {
  const std::string flag = "--" + name;
  const char* argv[] = {"ombrel", flag.c_str(), value.c_str()};
  std::vector<ScenarioAction> actions;
  if (!ParseScenario(3, argv, actions, error)) return false;
  for (const ScenarioAction& action : actions) ApplySetting(action, settings);
  return true;
}

bool ParseSwitch(const std::string& text, bool& out) {
  if (text != "0" && text != "1") return false;
  out = text == "1";
  return true;
}

// A whole number from 0 to 4294967295 in plain decimal digits.
bool ParseSecondsOrCount(const std::string& text, std::uint32_t& out) {
  if (text.empty() || text.size() > 10) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
  if (value > UINT32_MAX) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

}  // namespace

PageParameterStatus ApplyPageParameter(const std::string& name, const std::string& value, PageOptions& options,
                                       std::string& error) {
  auto malformed = [&](const char* expects) {
    error = name + " expects " + expects + ", not '" + value + "'";
    return PageParameterStatus::kMalformedValue;
  };
  if (IsSettingName(name)) {
    SaverSettingsRecord settings = options.settings;
    if (!ParseSettingText(name, value, settings, error)) return PageParameterStatus::kMalformedValue;
    options.settings = settings;
    return PageParameterStatus::kApplied;
  }
  if (name == "fps") {
    if (!ParseSwitch(value, options.showFps)) return malformed("0 or 1");
  } else if (name == "bench") {
    if (!ParseSwitch(value, options.bench)) return malformed("0 or 1");
  } else if (name == "clock" || name == "frames") {
    std::uint32_t number = 0;
    if (!ParseSecondsOrCount(value, number)) return malformed("a whole number from 0 to 4294967295");
    (name == "clock" ? options.clock : options.frames) = number;
  } else {
    error = "unknown parameter '" + name + "'";
    return PageParameterStatus::kUnknownName;
  }
  return PageParameterStatus::kApplied;
}

std::string SettingsQuery(const SaverSettingsRecord& settings) {
  char text[160];
  std::snprintf(text, sizeof text, "container=%s&decay=%d&regeneration=%d&permeability=%.9g&particles=%.9g",
                settings.ObjectType == kSphereObject ? "sphere" : "cube", settings.Decay ? 1 : 0,
                settings.Regeneration ? 1 : 0, double(settings.Permeability), double(settings.SpawnPoints));
  return text;
}
