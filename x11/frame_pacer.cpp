#include "x11/frame_pacer.h"

#include <algorithm>
#include <cstdio>

Clock::time_point FramePacer::NextFrameAt(Clock::time_point now) {
  if (now - next_ >= period_) next_ = now;  // a whole period behind: a new grid from now
  const Clock::time_point due = std::max(next_, now);
  next_ += period_;
  return due;
}

std::uint32_t CalendarSecondAt(std::uint32_t start, Clock::duration elapsed) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  return static_cast<std::uint32_t>(start + static_cast<std::uint64_t>(seconds));
}

void FpsCounter::FrameDone(Clock::time_point now) {
  if (!started_) {
    since_ = now;
    started_ = true;
    return;  // the first frame only starts the count
  }
  ++frames_;
  const std::chrono::duration<double> span = now - since_;
  if (span.count() < 1.0) return;
  rate_ = frames_ / span.count();
  frames_ = 0;
  since_ = now;
}

std::string FpsCounter::Text() const {
  if (rate_ < 0) return "FPS: -";
  char text[32];
  std::snprintf(text, sizeof text, "FPS: %.1f", rate_);
  return text;
}
