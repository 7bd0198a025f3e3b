// The step clock's one grid rule, which every host's steps follow (see
// step_clock.h), and the conversion of millisecond timestamps.
#include "pacing/step_clock.h"

MonotonicClock::time_point AtMilliseconds(double milliseconds) {
  const std::chrono::duration<double, std::milli> sinceOrigin(milliseconds);
  return MonotonicClock::time_point(std::chrono::duration_cast<MonotonicClock::duration>(sinceOrigin));
}

bool StepClock::StepDue(MonotonicClock::time_point now) {
  if (started_ && now < next_ - period_ / 4) return false;
  Step(now);
  return true;
}

void StepClock::Step(MonotonicClock::time_point now) {
  // A whole period behind (or no grid yet): a new grid from now.
  const bool newGrid = !started_ || now - next_ >= period_;
  next_ = (newGrid ? now : next_) + period_;
  started_ = true;
}
