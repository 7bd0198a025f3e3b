// The step clock's one grid rule, which every host's steps follow (see
// step_clock.h), and the conversion of millisecond timestamps.
#include "pacing/step_clock.h"

#include <algorithm>
#include <cmath>

MonotonicClock::time_point AtMilliseconds(double milliseconds) {
  const std::chrono::duration<double, std::milli> sinceOrigin(milliseconds);
  return MonotonicClock::time_point(std::chrono::duration_cast<MonotonicClock::duration>(sinceOrigin));
}

void StepClock::LimitFrameRate(double framesPerSecond) {
  const bool limited = framesPerSecond > 0 && framesPerSecond < kStepsPerSecond;
  stepsPerFrame_ = limited ? kStepsPerSecond / framesPerSecond : 1;
  sinceFrame_ = std::min(sinceFrame_, stepsPerFrame_);
}

FrameSteps StepClock::StepsDue(MonotonicClock::time_point now) {
  if (!started_ || period_ <= MonotonicClock::duration::zero()) {
    next_ = now + period_;
    started_ = true;
    sinceFrame_ = 0;
    return {1, true};
  }
  // The grid points from next_ up to a quarter period after now.
  const MonotonicClock::time_point reach = now + period_ / 4;
  if (reach < next_) return {};
  auto due = (reach - next_) / period_ + 1;
  if (due > kMostStepsPerFrame) {
    due = kMostStepsPerFrame;
    next_ = now + period_;
  } else {
    next_ += due * period_;
  }
  // A frame is drawn once a frame's worth of steps has been taken. What is
  // left over counts towards the next frame (a rate that does not divide 60
  // alternates), but never a whole frame's worth: a host slower than the
  // limit owes no frames.
  sinceFrame_ += static_cast<double>(due);
  const bool draw = sinceFrame_ >= stepsPerFrame_;
  if (draw) sinceFrame_ = std::fmod(sinceFrame_, stepsPerFrame_);
  return {static_cast<int>(due), draw};
}

MonotonicClock::time_point StepClock::NextFrameAt() const {
  if (!started_ || period_ <= MonotonicClock::duration::zero()) return next_;
  const double left = std::ceil(stepsPerFrame_ - sinceFrame_);
  const int steps = static_cast<int>(std::clamp(left, 1.0, static_cast<double>(kMostStepsPerFrame)));
  return next_ + (steps - 1) * period_;
}

void StepClock::Restart() { started_ = false; }

StepClock DelayStepClock(std::chrono::microseconds delay) {
  if (delay <= std::chrono::microseconds::zero()) return StepClock(MonotonicClock::duration::zero());
  StepClock clock(kStepPeriod);
  clock.LimitFrameRate(1.0 / std::chrono::duration<double>(delay).count());
  return clock;
}
