// When the pointer's movement ends the scene: once it has moved more than the
// saver's threshold from where it was first seen (|dx| + |dy| > 4, as the
// Windows saver counts it), so that a mouse that only jitters does not end
// it. Positions are in surface coordinates; a pointer that enters another
// output's surface is measured from where it entered, since the surfaces'
// coordinates are not comparable. (Keys and buttons end the scene at once:
// wayland/seat.cpp.)
#pragma once

constexpr double kMouseMoveThreshold = 4.0;

class PointerThreshold {
 public:
  // The pointer entered `surface` (any identity) at x, y.
  void PointerEntered(const void* surface, double x, double y);

  // The pointer moved to x, y on the surface it last entered; true when that
  // ends the scene.
  bool PointerMoved(double x, double y) const;

  // Forgets the pointer (the scene was hidden; it is measured anew when shown).
  void Reset() { anchored_ = false; }

 private:
  const void* surface_ = nullptr;
  double anchorX_ = 0, anchorY_ = 0;
  bool anchored_ = false;
};
