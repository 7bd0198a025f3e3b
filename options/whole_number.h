// Whole numbers as every front end reads and writes them: the settings'
// values, the counts of seconds and frames, a program's own numbers; and the
// one message for a value that is not what an option takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// A whole number in decimal digits, as the settings and the JSON documents
// write it: 4294967296, not 4.2949673e+09.
std::string NumberText(double whole);

// The one message for a malformed value: "--frames expects a whole number
// from 0 to 4294967295, not '1.5'", the value quoted as it was written.
std::string ExpectsMessage(const std::string& subject, const std::string& expected, const std::string& value);
