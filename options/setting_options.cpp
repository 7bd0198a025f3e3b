#include "options/setting_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sim/particle_swarm.h"

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

namespace {

// A number as loading a stored setting gives it: at most the largest stored
// number, rounded to single precision.
float StoredNumber(double value) { return static_cast<float>(std::min(value, kLargestStoredNumber)); }

const char kWholeNumber[] = "a whole number of 0 or more";

}  // namespace

bool IsSettingName(const std::string& name) {
  return name == "container" || name == "decay" || name == "regeneration" || name == "permeability" ||
         name == "particles";
}

SettingStatus ParseSetting(const std::string& name, const std::string& value, SaverSettingsRecord& settings,
                           std::string& error) {
  if (!IsSettingName(name)) return SettingStatus::kUnknownName;

  if (name == "container") {
    if (value != "cube" && value != "sphere") {
      error = "expects cube or sphere, not '" + value + "'";
      return SettingStatus::kMalformedValue;
    }
    settings.ObjectType = value == "cube" ? kCubeObject : kSphereObject;
    return SettingStatus::kSet;
  }

  const std::optional<double> whole = ParseWholeNumber(value);
  if (!whole) {
    const bool flag = name == "decay" || name == "regeneration";
    error = std::string("expects ") + (flag ? "0 or 1" : kWholeNumber) + ", not '" + value + "'";
    return SettingStatus::kMalformedValue;
  }
  // The flags, as loading takes a stored one: every number but 0 is 1.
  if (name == "decay") settings.Decay = *whole != 0;
  if (name == "regeneration") settings.Regeneration = *whole != 0;
  if (name == "permeability") settings.Permeability = StoredNumber(*whole);
  if (name == "particles") settings.SpawnPoints = StoredNumber(*whole);
  return SettingStatus::kSet;
}

std::string SettingsHelp() {
  const std::string pool = std::to_string(kSwarmSize);
  return "  --container cube|sphere  the container's shape (cube)\n"
         "  --decay 0|1              1: strikes wear visible cells away; 0: they build\n"
         "                           invisible cells up (1)\n"
         "  --regeneration 0|1       1: broken cells heal at random; 0: they stay\n"
         "                           broken (1)\n"
         "  --permeability P         strikes a cell takes before it lets particles\n"
         "                           through (10); the Windows settings offer 21 (low)\n"
         "                           to 1 (high); 0 lets particles through every cell\n"
         "  --particles N            particles in play (250); the Windows settings offer\n"
         "                           50 to 2050; " + pool + " exist, so any more count as " + pool + "\n"
         "Their values are whole numbers of 0 or more, read as the Windows saver reads\n"
         "its stored settings: decay and regeneration take every number but 0 as 1,\n"
         "and numbers above 4294967295 count as 4294967295.\n";
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
