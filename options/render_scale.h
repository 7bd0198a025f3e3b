// The render scale: the share of the output's pixels that a program draws
// across and down, leaving the display to scale the picture up to fill it
// (ombrel's and ombrel-wayland's --scale, the page's scale=). 0.5 draws a
// quarter of the pixels.
#pragma once

#include <optional>
#include <string>

constexpr double kLeastScale = 0.25;
constexpr double kMostScale = 1.0;

// A decimal number of 0 or more with an optional fraction ("0.5", "1",
// ".75", "0.5000" as XScreenSaver's settings write a slider's value);
// nothing for signs, exponents, spaces or anything else.
std::optional<double> ParseDecimal(const std::string& text);

// A number as the messages write it: 0.25, 1, 2100.
std::string DecimalText(double value);

// The pixels drawn across (or down) `pixels` of the output at `scale`:
// rounded to the nearest, at least 1. Every host rounds by this rule, so a
// scaled frame is the frame that ombrel-frames writes at that size.
int ScaledPixels(int pixels, double scale);
