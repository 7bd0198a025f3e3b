// When the scene takes its steps. The scene moves a fixed distance a step, so
// its speed is the rate of its steps: 60 a second, whatever the display's
// refresh rate (60, 120, 144 Hz...), whatever frame rate a host draws at
// (a wallpaper host's limit of 30, a --delay of 33333, a browser that only
// manages 40), and however late a host wakes.
//
// StepClock keeps steps on a grid of one period against a monotonic clock that
// the host reads and passes in, so that the rule can be tested without
// waiting. A frame takes every step whose grid point has come (a quarter
// period early counts, as timestamps jitter and a 60 Hz display's callbacks
// must each step): one at 60 frames a second, two at 30, three at 20, four at
// 15. So a frame drawn t seconds after the grid's origin, one period before
// its first step, shows step floor(60 t) whatever the frame rate. Fast
// displays get no step at the callbacks between grid points.
//
// A frame takes at most kMostStepsPerFrame. A longer gap (a slow machine, a
// stalled tab, a suspended laptop) takes that many and starts a new grid
// from now, so that the steps it missed are never caught up in a burst; a
// machine too slow for 15 frames a second moves the scene as fast as it can.
//
// Hosts driven by the display's callbacks (the page, a Wayland program) ask
// StepsDue at each callback; hosts that sleep between frames (X11) sleep until
// NextStepAt, then ask StepsDue.
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

// The most steps one frame takes: 15 frames a second still move the scene at
// full speed.
constexpr int kMostStepsPerFrame = 4;

// A timestamp in milliseconds, as browsers and Wayland give them.
MonotonicClock::time_point AtMilliseconds(double milliseconds);

class StepClock {
 public:
  // A period of 0 does no pacing: every frame takes one step.
  explicit StepClock(MonotonicClock::duration period) : period_(period) {}

  // The steps that a frame at `now` (not earlier than the last call's) takes,
  // 0 to kMostStepsPerFrame; they are recorded as taken. The first call after
  // the start or a Restart takes one step and starts the grid.
  int StepsDue(MonotonicClock::time_point now);

  // When the step after the last one taken is due; a time already past means
  // at once.
  MonotonicClock::time_point NextStepAt() const { return next_; }

  // Forgets the grid: the next frame takes one step and starts a new one
  // (after the page was hidden or paused), so the time between is not caught
  // up.
  void Restart() { started_ = false; }

 private:
  MonotonicClock::duration period_;
  MonotonicClock::time_point next_{};
  bool started_ = false;
};

// The calendar second that seeds a frame shown `elapsed` after a scene that
// started at second `start`: start plus the whole seconds elapsed, wrapping
// with the clock's 32 bits. `elapsed` is time on a clock, or Steps for a host
// that counts frames as ombrel-frames does.
template <class Rep, class Period>
std::uint32_t CalendarSecondAt(std::uint32_t start, std::chrono::duration<Rep, Period> elapsed) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  return static_cast<std::uint32_t>(start + static_cast<std::uint64_t>(seconds));
}
