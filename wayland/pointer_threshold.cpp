#include "wayland/pointer_threshold.h"

#include <cmath>

void PointerThreshold::PointerEntered(const void* surface, double x, double y) {
  if (anchored_ && surface == surface_) {
    // Back on the same surface: the first position still counts.
    return;
  }
  surface_ = surface;
  anchorX_ = x;
  anchorY_ = y;
  anchored_ = true;
}

bool PointerThreshold::PointerMoved(double x, double y) const {
  return anchored_ && std::fabs(x - anchorX_) + std::fabs(y - anchorY_) > kMouseMoveThreshold;
}
