#include "options/setting_options.h"

#include <algorithm>
#include <cctype>

#include "options/program_messages.h"
#include "options/setting_table.h"
#include "options/whole_number.h"

namespace {

// "; the Windows settings offer 21 (low) to 1 (high)" for a setting with a
// slider.
std::string SliderRange(const SliderMapping& slider) {
  auto end = [&](int position, std::string label) {
    std::transform(label.begin(), label.end(), label.begin(), [](unsigned char c) { return std::tolower(c); });
    return std::to_string(static_cast<long long>(slider.ValueAt(position))) + " (" + label + ")";
  };
  return "; the Windows settings offer " + end(0, slider.FirstEnd) + " to " + end(kLastSliderPosition, slider.LastEnd);
}

}  // namespace

SettingStatus ParseSetting(const std::string& name, const std::string& value, SaverSettingsRecord& settings,
                           std::string& expected) {
  const SettingDescription* setting = FindSetting(name);
  if (setting == nullptr) return SettingStatus::kUnknownName;
  if (ReadSetting(*setting, value, settings)) return SettingStatus::kSet;
  expected = ExpectedValues(*setting);
  return SettingStatus::kMalformedValue;
}

std::vector<ProgramOption> SettingOptions(std::function<void(const std::string& name, const std::string& value)> take) {
  std::vector<ProgramOption> options;
  for (const SettingDescription& setting : SettingTable()) {
    const std::string name = setting.Name;
    options.push_back({"--" + name, true, [name, take](const std::string& value, std::string& error) {
                         // Checked against a scratch record; the caller decides where it goes.
                         SaverSettingsRecord scratch = kDefaultSettings;
                         std::string expected;
                         if (ParseSetting(name, value, scratch, expected) != SettingStatus::kSet) {
                           error = ExpectsMessage("--" + name, expected, value);
                           return false;
                         }
                         take(name, value);
                         return true;
                       }});
  }
  return options;
}

std::vector<ProgramOption> SettingOptions(SaverSettingsRecord& settings) {
  return SettingOptions([&settings](const std::string& name, const std::string& value) {
    std::string unused;
    ParseSetting(name, value, settings, unused);
  });
}

std::string SettingsHelp() {
  std::string help, flags;
  for (const SettingDescription& setting : SettingTable()) {
    help += HelpEntry("--" + std::string(setting.Name) + " " + ValuePlaceholder(setting),
                      setting.Meaning + " (" + WriteSetting(setting, kDefaultSettings) + ")" +
                          (setting.Slider ? SliderRange(*setting.Slider) : "") + setting.Note);
    if (setting.Kind == SettingKind::kFlag) flags += (flags.empty() ? "" : " and ") + std::string(setting.Name);
  }
  return help +
         "Their values are whole numbers of 0 or more, read as the Windows saver reads\n"
         "its stored settings: " + flags + " take every number but 0 as 1,\n"
         "and numbers above 4294967295 count as 4294967295.\n";
}

std::string SettingsQuery(const SaverSettingsRecord& settings) {
  std::string query;
  for (const SettingDescription& setting : SettingTable())
    query += (query.empty() ? "" : "&") + std::string(setting.Name) + "=" + WriteSetting(setting, settings);
  return query;
}
