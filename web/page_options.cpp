#include "web/page_options.h"

#include <cstdint>
#include <cstdio>

#include "options/setting_options.h"

namespace {

bool ParseSwitch(const std::string& text, bool& out) {
  if (text != "0" && text != "1") return false;
  out = text == "1";
  return true;
}

// A whole number from 0 to 4294967295, written as the command line's --clock
// and --frames take it.
bool ParseSecondsOrCount(const std::string& text, std::uint32_t& out) {
  const std::optional<double> number = ParseWholeNumber(text);
  if (!number || *number > UINT32_MAX) return false;
  out = static_cast<std::uint32_t>(*number);
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
    std::string expects;
    if (ParseSetting(name, value, options.Settings, expects) == SettingStatus::kSet)
      return PageParameterStatus::kApplied;
    error = name + " " + expects;
    return PageParameterStatus::kMalformedValue;
  }
  if (name == "fps") {
    if (!ParseSwitch(value, options.ShowFps)) return malformed("0 or 1");
  } else if (name == "bench") {
    if (!ParseSwitch(value, options.Unpaced)) return malformed("0 or 1");
  } else if (name == "clock" || name == "frames") {
    std::uint32_t number = 0;
    if (!ParseSecondsOrCount(value, number)) return malformed("a whole number from 0 to 4294967295");
    (name == "clock" ? options.Clock : options.Frames) = number;
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
