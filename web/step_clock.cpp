#include "web/step_clock.h"

#include <cstdio>

bool StepClock::StepDue(double nowMs) {
  if (!started_ || period_ <= 0) {
    started_ = true;
    next_ = nowMs + period_;
    return true;
  }
  if (nowMs < next_ - period_ / 4) return false;
  next_ += period_;
  if (nowMs >= next_) next_ = nowMs + period_;  // a whole period behind: a new grid from now
  return true;
}

bool FrameRate::FrameDone(double nowMs) {
  if (!started_) {
    since_ = nowMs;
    frames_ = 0;
    started_ = true;
    return false;  // the first frame only starts the count
  }
  ++frames_;
  const double span = nowMs - since_;
  if (span < 1000) return false;
  std::snprintf(text_, sizeof text_, "FPS: %.1f", frames_ * 1000.0 / span);
  frames_ = 0;
  since_ = nowMs;
  return true;
}
