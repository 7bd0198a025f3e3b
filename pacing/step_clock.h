// When the scene takes a step. The scene moves a fixed step per frame, so its
// speed is the rate of its steps: 60 a second, whatever the display's refresh
// rate (60, 120, 144 Hz...) and however late a host wakes.
//
// StepClock keeps steps on a grid of one period against a monotonic clock that
// the host reads and passes in, so that the rule can be tested without
// waiting. A step that comes a little late does not slow the scene down: the
// grid is kept while the lag is less than a period, so the next steps make it
// up. A lag of a whole period or more (a slow machine, a stalled tab) starts a
// new grid from now, so that a slow stretch is never followed by a burst of
// catching up. A machine that cannot keep up runs as fast as it can.
//
// Hosts ask in one of two ways over the same grid:
// - driven by the display's callbacks (the page, the Wayland program): StepDue
//   says whether a callback steps. It steps when the next grid point is at
//   most a quarter period away (timestamps jitter, and a 60 Hz display's
//   callbacks must each step), and never more than once, so fast displays
//   skip the callbacks between steps;
// - sleeping between frames (X11): Step records a step taken now and
//   NextStepAt says when to wake for the next one.
#pragma once

#include <chrono>
#include <cstdint>
#include <ratio>

// The hosts' monotonic clock. Only differences between its times count, so
// timestamps from another origin (the page's animation callbacks) serve too.
using MonotonicClock = std::chrono::steady_clock;

// The scene's pace, and a number of steps as a span of time.
constexpr int kStepsPerSecond = 60;
using Steps = std::chrono::duration<std::int64_t, std::ratio<1, kStepsPerSecond>>;
constexpr MonotonicClock::duration kStepPeriod = std::chrono::duration_cast<MonotonicClock::duration>(Steps(1));

// A timestamp in milliseconds, as the browser's animation callbacks give them.
MonotonicClock::time_point AtMilliseconds(double milliseconds);

class StepClock {
 public:
  // A period of 0 does no pacing: every callback steps, every step is due at
  // once.
  explicit StepClock(MonotonicClock::duration period) : period_(period) {}

  // Whether the callback at `now` (increasing from call to call) takes a
  // step; if so, the step is recorded.
  bool StepDue(MonotonicClock::time_point now);

  // Records a step taken at `now`. The first step after the start or a
  // Restart starts the grid.
  void Step(MonotonicClock::time_point now);

  // When the step after the last recorded one is due; a time already past
  // means at once.
  MonotonicClock::time_point NextStepAt() const { return next_; }

  // Forgets the grid: the next callback steps and starts a new one (after the
  // page was hidden).
  void Restart() { started_ = false; }

 private:
  MonotonicClock::duration period_;
  MonotonicClock::time_point next_{};
  bool started_ = false;
};
