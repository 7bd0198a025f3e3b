#include "wayland/input_rules.h"

#include <cmath>

void InputRules::PointerEntered(const void* surface, double x, double y) {
  if (anchored_ && surface == surface_) {
    // Back on the same surface: the first position still counts.
    return;
  }
  surface_ = surface;
  anchorX_ = x;
  anchorY_ = y;
  anchored_ = true;
}

bool InputRules::PointerMoved(double x, double y) const {
  return anchored_ && std::fabs(x - anchorX_) + std::fabs(y - anchorY_) > kMouseMoveThreshold;
}
