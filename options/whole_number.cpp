#include "options/whole_number.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

std::string NumberText(double whole) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f", whole);
  return text;
}

std::string ExpectsMessage(const std::string& subject, const std::string& expected, const std::string& value) {
  return subject + " expects " + expected + ", not '" + value + "'";
}
