#include "options/render_scale.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::optional<double> ParseDecimal(const std::string& text) {
  if (text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  if (text.find_first_of("0123456789") == std::string::npos || std::count(text.begin(), text.end(), '.') > 1)
    return std::nullopt;
  errno = 0;
  const double value = std::strtod(text.c_str(), nullptr);
  if (errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string DecimalText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

int ScaledPixels(int pixels, double scale) {
  return std::max(1, static_cast<int>(std::lround(pixels * scale)));
}
