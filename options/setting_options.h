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

#include <cstdint>
#include <optional>
#include <string>

#include "options/setting_table.h"
#include "sim/scene_parameters.h"

// The largest number a stored setting holds (an unsigned 32-bit value).
constexpr double kLargestStoredNumber = 4294967295.0;

// A whole number of 0 or more written in decimal, with an optional fraction
// and exponent as long as the value is whole ("250", "250.0", "1e3"); exact
// up to 2^53. Nothing for anything else: an empty text, a sign, spaces,
// "inf", "nan", hexadecimal, a fraction, or a value too large for a double.
std::optional<double> ParseWholeNumber(const std::string& text);

// A whole number from 0 to 4294967295 as the unsigned 32-bit number it is;
// nothing for any other number.
std::optional<std::uint32_t> Uint32Of(double whole);

// ParseWholeNumber's number of `text` when it fits 32 bits, as the options
// that count seconds and frames take it.
std::optional<std::uint32_t> ParseUint32(const std::string& text);

// The one message for a malformed value: "--frames expects a whole number
// from 0 to 4294967295, not '1.5'", the value quoted as it was written.
std::string ExpectsMessage(const std::string& subject, const std::string& expected, const std::string& value);

// Whether `name` is one of the five settings.
bool IsSettingName(const std::string& name);

enum class SettingStatus { kSet, kUnknownName, kMalformedValue };

// Reads `value` as the setting called `name` (one of the five above, without
// dashes) and writes it into `settings`. kUnknownName for another name and
// kMalformedValue for a value the setting cannot take leave `settings` as it
// was; for kMalformedValue `expected` says what the setting takes ("cube or
// sphere"), for the caller's ExpectsMessage under the name as it was written.
SettingStatus ParseSetting(const std::string& name, const std::string& value, SaverSettingsRecord& settings,
                           std::string& expected);

// The five settings for a program's --help: one option a line or two, with
// their defaults and real limits.
std::string SettingsHelp();

// The five settings of `settings` as parameters, "container=cube&decay=1&...",
// in the form ParseSetting reads back to the same record (for the page to
// show them on its panel and store them).
std::string SettingsQuery(const SaverSettingsRecord& settings);

// The project's version, "1.0.0".
const char* OmbrelVersion();

// Prints "program: message" as one line on stderr, whatever the message
// quotes from its input: control characters are written as escapes (\n, \t,
// \xNN), so a newline in an argument cannot split the message.
void ReportError(const char* program, const std::string& message);

// The same for a bad argument, ending with "(see program --help)".
void ReportArgumentError(const char* program, const std::string& message);
