#include "web/page_options.h"

#include <algorithm>
#include <cstdint>

#include "options/render_scale.h"
#include "options/setting_options.h"
#include "options/setting_table.h"
#include "options/whole_number.h"
#include "sim/particle_swarm.h"

namespace {

bool ParseSwitch(const std::string& text, bool& out) {
  if (text != "0" && text != "1") return false;
  out = text == "1";
  return true;
}

// The values a setting's panel control offers: a flag's 0 and 1, a slider's
// two ends; false for a setting without a range (a choice).
bool PanelRange(const SettingDescription& setting, double& low, double& high) {
  if (setting.Kind == SettingKind::kFlag) {
    low = 0;
    high = 1;
    return true;
  }
  if (!setting.Slider) return false;
  const double first = setting.Slider->ValueAt(0), last = setting.Slider->ValueAt(kLastSliderPosition);
  low = std::min(first, last);
  high = std::max(first, last);
  return true;
}

std::string OutsideMessage(const std::string& name, const std::string& value, double low, double high,
                           const std::string& taken) {
  return name + ": " + value + " is outside " + DecimalText(low) + " to " + DecimalText(high) + ", taken as " + taken;
}

// After a setting was read from `value`: kBounded, with `error` saying so,
// when its number lies outside the panel's range. Particles beyond the pool
// count as the pool, as the scene counts them, so that what the page shows
// and stores is the number in play.
PageParameterStatus CheckRange(const std::string& name, const std::string& value, PageOptions& options,
                               std::string& error) {
  const SettingDescription& setting = *FindSetting(name);
  const std::optional<double> number = ParseWholeNumber(value);
  double low = 0, high = 0;
  if (!number || !PanelRange(setting, low, high) || (*number >= low && *number <= high))
    return PageParameterStatus::kApplied;
  if (setting.CountField == &SaverSettingsRecord::SpawnPoints)
    options.Settings.SpawnPoints = std::min(options.Settings.SpawnPoints, static_cast<float>(kSwarmSize));
  error = OutsideMessage(name, value, low, high, WriteSetting(setting, options.Settings));
  return PageParameterStatus::kBounded;
}

}  // namespace

PageParameterStatus ApplyPageParameter(const std::string& name, const std::string& value, PageOptions& options,
                                       std::string& error) {
  auto malformed = [&](const std::string& expected) {
    error = ExpectsMessage(name, expected, value);
    return PageParameterStatus::kMalformedValue;
  };
  std::string expected;
  switch (ParseSetting(name, value, options.Settings, expected)) {
    case SettingStatus::kSet: return CheckRange(name, value, options, error);
    case SettingStatus::kMalformedValue: return malformed(expected);
    case SettingStatus::kUnknownName: break;
  }
  if (name == "scale") {
    const std::optional<double> scale = ParseDecimal(value);
    if (!scale) return malformed("a number from " + DecimalText(kLeastScale) + " to " + DecimalText(kMostScale));
    options.Scale = std::clamp(*scale, kLeastScale, kMostScale);
    if (options.Scale != *scale) {
      error = OutsideMessage(name, value, kLeastScale, kMostScale, DecimalText(options.Scale));
      return PageParameterStatus::kBounded;
    }
  } else if (name == "fps") {
    if (!ParseSwitch(value, options.ShowFps)) return malformed("0 or 1");
  } else if (name == "bench") {
    if (!ParseSwitch(value, options.Unpaced)) return malformed("0 or 1");
  } else if (name == "awake") {
    if (!ParseSwitch(value, options.KeepAwake)) return malformed("0 or 1");
  } else if (name == "clock" || name == "frames") {
    const std::optional<std::uint32_t> number = ParseUint32(value);
    if (!number) return malformed("a whole number from 0 to 4294967295");
    (name == "clock" ? options.Clock : options.Frames) = *number;
  } else {
    error = "unknown parameter '" + name + "'";
    return PageParameterStatus::kUnknownName;
  }
  return PageParameterStatus::kApplied;
}
