#include "web/page_options.h"

#include <cstdint>

#include "options/setting_options.h"
#include "options/whole_number.h"

namespace {

bool ParseSwitch(const std::string& text, bool& out) {
  if (text != "0" && text != "1") return false;
  out = text == "1";
  return true;
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
    case SettingStatus::kSet: return PageParameterStatus::kApplied;
    case SettingStatus::kMalformedValue: return malformed(expected);
    case SettingStatus::kUnknownName: break;
  }
  if (name == "fps") {
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
