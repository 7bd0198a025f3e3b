// The five scene settings by name and value, as every front end writes them:
// the command line's options (--particles 2050) and the same names and values
// elsewhere (particles=2050). The settings themselves (container,
// decay, regeneration, permeability, particles), their values, help and panel
// are described once, in SettingTable (options/setting_table.h).
//
// Values are read as the Windows saver reads its stored settings, which are
// whole numbers from 0 to 4294967295: decay and regeneration take every
// number but 0 as 1; permeability and particles are taken as they are, so
// permeability 0 lets particles through every cell and a particle count above
// the 2100 that exist moves all 2100. Larger numbers count as 4294967295, the
// largest a stored setting holds. Text that is no whole number of 0 or more
// (a word, NaN, an infinity, a number too large for a double, a negative
// number, a fraction) is malformed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "options/command_line.h"
#include "sim/scene_parameters.h"

enum class SettingStatus { kSet, kUnknownName, kMalformedValue };

// Reads `value` as the setting called `name` (one of the five above, without
// dashes) and writes it into `settings`. kUnknownName for another name and
// kMalformedValue for a value the setting cannot take leave `settings` as it
// was; for kMalformedValue `expected` says what the setting takes ("cube or
// sphere"), for the caller's ExpectsMessage under the name as it was written.
SettingStatus ParseSetting(const std::string& name, const std::string& value, SaverSettingsRecord& settings,
                           std::string& expected);

// The five settings as command-line options (--container ... --particles),
// for ParseCommandLine: each checks its value and hands the setting's name
// and the value, as written, to `take`; a malformed value is refused with
// ExpectsMessage under the option's name.
std::vector<ProgramOption> SettingOptions(std::function<void(const std::string& name, const std::string& value)> take);

// The same, writing each value into `settings` as it comes.
std::vector<ProgramOption> SettingOptions(SaverSettingsRecord& settings);

// The five settings for a program's --help: one option a line or two, with
// their defaults and real limits.
std::string SettingsHelp();

// The five settings of `settings` as parameters, "container=cube&decay=1&...",
// in the form ParseSetting reads back to the same record (for the page to
// show them on its panel and store them).
std::string SettingsQuery(const SaverSettingsRecord& settings);
