#include "options/setting_table.h"

#include <algorithm>

#include "options/whole_number.h"
#include "sim/particle_swarm.h"

namespace {

std::vector<SettingDescription> MakeTable() {
  const std::string pool = std::to_string(kSwarmSize);
  return {
      {"container", SettingKind::kChoice, &SaverSettingsRecord::ObjectType, nullptr,
       {{"cube", "Cube", kCubeObject}, {"sphere", "Sphere", kSphereObject}}, nullptr,
       "the container's shape", "", "Container Type:", std::nullopt},
      {"decay", SettingKind::kFlag, &SaverSettingsRecord::Decay, nullptr,
       {{"0", "Growth", 0}, {"1", "Decay", 1}}, nullptr,
       "1: strikes wear visible cells away; 0: they build invisible cells up", "", "Particles cause:",
       std::nullopt},
      {"regeneration", SettingKind::kFlag, &SaverSettingsRecord::Regeneration, nullptr,
       {{"1", "On", 1}, {"0", "Off", 0}}, nullptr,
       "1: broken cells heal at random; 0: they stay broken", "", "Regeneration:", std::nullopt},
      {"permeability", SettingKind::kCount, nullptr, &SaverSettingsRecord::Permeability, {}, "P",
       "strikes a cell takes before it lets particles through", "; 0 lets particles through every cell",
       "Permeability of Surface", kPermeabilitySlider},
      {"particles", SettingKind::kCount, nullptr, &SaverSettingsRecord::SpawnPoints, {}, "N",
       "particles in play", "; " + pool + " exist, so any more count as " + pool, "Number of particles",
       kParticlesSlider},
  };
}

const char* KindName(SettingKind kind) {
  switch (kind) {
    case SettingKind::kChoice: return "choice";
    case SettingKind::kFlag: return "flag";
    case SettingKind::kCount: break;
  }
  return "count";
}

}  // namespace

std::string JsonQuoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

const std::vector<SettingDescription>& SettingTable() {
  static const std::vector<SettingDescription> table = MakeTable();
  return table;
}

const SettingDescription* FindSetting(const std::string& name) {
  for (const SettingDescription& setting : SettingTable())
    if (name == setting.Name) return &setting;
  return nullptr;
}

bool ReadSetting(const SettingDescription& setting, const std::string& value, SaverSettingsRecord& settings) {
  if (setting.Kind == SettingKind::kChoice) {
    for (const SettingChoice& choice : setting.Choices) {
      if (value != choice.Value) continue;
      settings.*setting.ByteField = choice.Stored;
      return true;
    }
    return false;
  }
  const std::optional<double> whole = ParseWholeNumber(value);
  if (!whole) return false;
  if (setting.Kind == SettingKind::kFlag) settings.*setting.ByteField = *whole != 0;
  // As loading a stored setting gives it: at most the largest stored number,
  // rounded to single precision.
  else settings.*setting.CountField = static_cast<float>(std::min(*whole, kLargestStoredNumber));
  return true;
}

std::string WriteSetting(const SettingDescription& setting, const SaverSettingsRecord& settings) {
  switch (setting.Kind) {
    case SettingKind::kChoice:
      // A number no choice stores (never read from text) writes the first.
      for (const SettingChoice& choice : setting.Choices)
        if (settings.*setting.ByteField == choice.Stored) return choice.Value;
      return setting.Choices.front().Value;
    case SettingKind::kFlag: return settings.*setting.ByteField != 0 ? "1" : "0";
    case SettingKind::kCount: break;
  }
  return NumberText(settings.*setting.CountField);
}

std::string ExpectedValues(const SettingDescription& setting) {
  if (setting.Kind == SettingKind::kFlag) return "0 or 1";
  if (setting.Kind == SettingKind::kCount) return "a whole number of 0 or more";
  std::string values;
  for (const SettingChoice& choice : setting.Choices) values += (values.empty() ? "" : " or ") + std::string(choice.Value);
  return values;
}

std::string ValuePlaceholder(const SettingDescription& setting) {
  if (setting.Kind == SettingKind::kFlag) return "0|1";
  if (setting.Kind == SettingKind::kCount) return setting.Placeholder;
  std::string values;
  for (const SettingChoice& choice : setting.Choices) values += (values.empty() ? "" : "|") + std::string(choice.Value);
  return values;
}

std::string SettingsJson() {
  std::string json = "[";
  for (const SettingDescription& setting : SettingTable()) {
    if (json.size() > 1) json += ",";
    json += "{\"name\":" + JsonQuoted(setting.Name) + ",\"kind\":" + JsonQuoted(KindName(setting.Kind)) +
            ",\"label\":" + JsonQuoted(setting.Label) + ",\"default\":" + JsonQuoted(WriteSetting(setting, kDefaultSettings));
    if (!setting.Choices.empty()) {
      json += ",\"choices\":[";
      for (const SettingChoice& choice : setting.Choices)
        json += std::string(&choice == &setting.Choices.front() ? "" : ",") + "{\"value\":" + JsonQuoted(choice.Value) +
                ",\"label\":" + JsonQuoted(choice.Label) + "}";
      json += "]";
    }
    if (setting.Slider) {
      const SliderMapping& slider = *setting.Slider;
      json += ",\"slider\":{\"last\":" + std::to_string(kLastSliderPosition) +
              ",\"valueAtFirst\":" + NumberText(slider.ValueAtFirst) + ",\"step\":" + NumberText(slider.Step) +
              ",\"firstEnd\":" + JsonQuoted(slider.FirstEnd) + ",\"lastEnd\":" + JsonQuoted(slider.LastEnd) +
              ",\"valueText\":" + JsonQuoted(slider.ValueText) + "}";
    }
    json += "}";
  }
  return json + "]";
}
