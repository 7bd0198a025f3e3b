// The configuration dialog's two sliders, position to value and back, on
// their own: the Windows dialog includes this header alone, so that the saver
// carries none of the settings table's strings and containers, and the table
// (options/setting_table.h) describes its sliders with these same records.
#pragma once

#include <cmath>

// A slider over a count: positions 0 to kLastSliderPosition, position p
// standing for ValueAtFirst + p * Step. A value shows at the position its
// formula gives, truncated towards zero and clamped to the slider, as the
// dialog positions its trackbars.
struct SliderMapping {
  double ValueAtFirst;   // the value at position 0
  double Step;           // what one position adds
  const char* FirstEnd;  // the label at position 0's end: "Low"
  const char* LastEnd;   // at the last position's end: "High"
  const char* ValueText;  // a value in words, {} standing for the number: "{} particles"

  int PositionOf(double value) const;
  double ValueAt(int position) const { return ValueAtFirst + position * Step; }
};
inline constexpr int kLastSliderPosition = 10;

// "Permeability of Surface": 21 strikes (Low) to 1 (High).
inline constexpr SliderMapping kPermeabilitySlider{21, -2, "Low", "High",
                                                  "{} strikes before a cell lets particles through"};
// "Number of particles": 50 (Not many) to 2050 (Lots).
inline constexpr SliderMapping kParticlesSlider{50, 200, "Not many", "Lots", "{} particles"};

inline int SliderMapping::PositionOf(double value) const {
  // The dialog's own formulas, (21 - v) * 0.5 and (v - 50) * 0.005, are
  // these products: 1 / Step is the same double as their factors.
  const double position = std::trunc((value - ValueAtFirst) * (1.0 / Step));
  if (!(position > 0)) return 0;  // also for a value that is not a number
  return position < kLastSliderPosition ? static_cast<int>(position) : kLastSliderPosition;
}
