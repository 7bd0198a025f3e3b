#include "options/setting_options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>

std::optional<double> ParseWholeNumber(const std::string& text) {
  // A digit first and only the characters of a decimal number: no sign or
  // space in front, no "inf", "nan" or hexadecimal, which strtod would take.
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  if (text.find_first_not_of("0123456789.eE+-") != std::string::npos) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value) ||
      value != std::floor(value))
    return std::nullopt;
  return value;
}

std::optional<std::uint32_t> Uint32Of(double whole) {
  if (!(whole >= 0 && whole <= UINT32_MAX) || whole != std::floor(whole)) return std::nullopt;
  return static_cast<std::uint32_t>(whole);
}

std::optional<std::uint32_t> ParseUint32(const std::string& text) {
  const std::optional<double> number = ParseWholeNumber(text);
  return number ? Uint32Of(*number) : std::nullopt;
}

std::string ExpectsMessage(const std::string& subject, const std::string& expected, const std::string& value) {
  return subject + " expects " + expected + ", not '" + value + "'";
}

bool IsSettingName(const std::string& name) { return FindSetting(name) != nullptr; }

SettingStatus ParseSetting(const std::string& name, const std::string& value, SaverSettingsRecord& settings,
                           std::string& expected) {
  const SettingDescription* setting = FindSetting(name);
  if (setting == nullptr) return SettingStatus::kUnknownName;
  if (ReadSetting(*setting, value, settings)) return SettingStatus::kSet;
  expected = ExpectedValues(*setting);
  return SettingStatus::kMalformedValue;
}

namespace {

// The help's column for the options' text, and its width.
constexpr std::size_t kHelpIndent = 27;
constexpr std::size_t kHelpWidth = 77;

// "  --name value" padded to the text's column, and `text` after it in
// lines of kHelpWidth at most, broken between words.
std::string HelpEntry(const std::string& option, const std::string& text) {
  std::string line = "  " + option;
  line.resize(std::max(line.size() + 1, kHelpIndent), ' ');
  std::string entry, word;
  bool words = false;  // the line holds a word of `text`
  std::istringstream in(text);
  while (in >> word) {
    if (words && line.size() + 1 + word.size() > kHelpWidth) {
      entry += line + "\n";
      line.assign(kHelpIndent, ' ');
      words = false;
    }
    line += (words ? " " : "") + word;
    words = true;
  }
  return entry + line + "\n";
}

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

const char* OmbrelVersion() { return OMBREL_VERSION; }

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

void ReportArgumentError(const char* program, const std::string& message) {
  ReportError(program, message + " (see " + program + " --help)");
}
