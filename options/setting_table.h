// The five scene settings in one table: for each its name, how its value is
// read and written, its help, and how the settings panel and the Windows
// configuration dialog show it. Every front end reads the settings through
// this table (options/setting_options.h), and the page's script and other
// hosts get it as JSON (SettingsJson), so a setting is described once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "options/slider_mapping.h"
#include "sim/scene_parameters.h"

// How a setting's value is written and read.
enum class SettingKind {
  kChoice,  // one of its choices' words: container cube or sphere
  kFlag,    // 0 or 1; as the saver loads a stored flag, every whole number but 0 reads as 1
  kCount,   // a whole number of 0 or more, at most kLargestStoredNumber, stored as a float
};

// One value of a choice or a flag: as written, as the panel labels it, and
// the number the record holds for it.
struct SettingChoice {
  const char* Value;    // "sphere", "0"
  const char* Label;    // "Sphere", "Growth"
  std::uint8_t Stored;  // kSphereObject, 0
};


struct SettingDescription {
  const char* Name;  // as the command line (--name), the page's query and the JSON write it
  SettingKind Kind;
  std::uint8_t SaverSettingsRecord::*ByteField;  // kChoice, kFlag: the record's field
  float SaverSettingsRecord::*CountField;        // kCount: the record's field
  std::vector<SettingChoice> Choices;            // kChoice, kFlag: in the panel's order
  const char* Placeholder;                       // kCount: the help's name for the number ("P")
  std::string Meaning;                           // the help's text, before the default
  std::string Note;                              // the help's text after the default and the slider's range
  const char* Label;                             // the panel's and the dialog's label
  std::optional<SliderMapping> Slider;           // kCount: the dialog's slider
};

// The five settings in the order the help, the query and the panel list them.
const std::vector<SettingDescription>& SettingTable();

// The setting called `name`, or null.
const SettingDescription* FindSetting(const std::string& name);

// Reads `value` into the setting's field of `settings`; false, leaving
// `settings` alone, for a value the setting cannot take.
bool ReadSetting(const SettingDescription& setting, const std::string& value, SaverSettingsRecord& settings);

// The setting's value in `settings` as it is written ("cube", "1", "250"),
// in the form ReadSetting reads back to the same field.
std::string WriteSetting(const SettingDescription& setting, const SaverSettingsRecord& settings);

// What a value of the setting must be, for an error message: "cube or
// sphere", "0 or 1", "a whole number of 0 or more".
std::string ExpectedValues(const SettingDescription& setting);

// The setting's value in its help: "cube|sphere", "0|1", "P".
std::string ValuePlaceholder(const SettingDescription& setting);

// A JSON string of `text`, which holds no control characters.
std::string JsonQuoted(const std::string& text);

// The table as a JSON array, one object per setting in the table's order:
//   {"name": "container", "kind": "choice" | "flag" | "count", "label": "Container Type:",
//    "default": "cube", "choices": [{"value": "cube", "label": "Cube"}, ...],
//    "slider": {"last": 10, "valueAtFirst": 21, "step": -2, "firstEnd": "Low", "lastEnd": "High",
//               "valueText": "{} strikes before a cell lets particles through"}}
// "choices" for choices and flags, "slider" for counts with a slider.
std::string SettingsJson();
