// The step clock's one grid rule, which every host's steps follow (see
// step_clock.h), and the conversion of millisecond timestamps.
#include "pacing/step_clock.h"

MonotonicClock::time_point AtMilliseconds(double milliseconds) {
  const std::chrono::duration<double, std::milli> sinceOrigin(milliseconds);
  return MonotonicClock::time_point(std::chrono::duration_cast<MonotonicClock::duration>(sinceOrigin));
}

int StepClock::StepsDue(MonotonicClock::time_point now) {
  if (!started_ || period_ <= MonotonicClock::duration::zero()) {
    next_ = now + period_;
    started_ = true;
    return 1;
  }
  // The grid points from next_ up to a quarter period after now.
  const MonotonicClock::time_point reach = now + period_ / 4;
  if (reach < next_) return 0;
  const auto due = (reach - next_) / period_ + 1;
  if (due > kMostStepsPerFrame) {
    next_ = now + period_;
    return kMostStepsPerFrame;
  }
  next_ += due * period_;
  return static_cast<int>(due);
}
