// The frame rate over each second of frames (see frame_rate.h).
#include "pacing/frame_rate.h"

#include <cstdio>

bool FrameRate::FrameDone(MonotonicClock::time_point now) {
  if (!started_) {
    since_ = now;
    frames_ = 0;
    started_ = true;
    return false;
  }
  ++frames_;
  const std::chrono::duration<double> span = now - since_;
  if (span.count() < 1.0) return false;
  std::snprintf(text_, sizeof text_, "FPS: %.1f", frames_ / span.count());
  frames_ = 0;
  since_ = now;
  return true;
}
