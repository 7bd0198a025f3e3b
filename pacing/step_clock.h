// When the scene takes its steps, and which of them a host draws. The scene
// moves a fixed distance a step, so its speed is the rate of its steps: 60 a
// second, whatever the display's refresh rate (60, 120, 144 Hz...), whatever
// frame rate a host draws at (a wallpaper host's limit of 30, a --delay of
// 33333, a browser that only manages 40), and however late a host wakes.
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
// A frame-rate limit (a wallpaper host's, the display programs' --delay)
// draws a frame every 60 / fps steps, the steps between taken without
// drawing: the picture always shows the step due, and the scene keeps its
// speed at any limit.
//
// Hosts driven by the display's callbacks (the page, the Wayland program) ask
// StepsDue at each callback; hosts that sleep between frames (X11) sleep until
// NextFrameAt, then ask StepsDue.
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

// A timestamp in milliseconds, as the browser's animation callbacks give them.
MonotonicClock::time_point AtMilliseconds(double milliseconds);

// What a frame does at a moment: the steps it takes, and whether it draws
// the last of them (the others are taken without drawing).
struct FrameSteps {
  int Steps = 0;  // 0 to kMostStepsPerFrame
  bool Draw = false;
};

class StepClock {
 public:
  // A period of 0 does no pacing: every call takes one step and draws it.
  explicit StepClock(MonotonicClock::duration period) : period_(period) {}

  // Draws at most `framesPerSecond` frames a second: a frame every 60 / fps
  // steps (on average, for rates that do not divide 60). 0, or 60 and more,
  // draws every step.
  void LimitFrameRate(double framesPerSecond);

  // The steps that a frame at `now` (not earlier than the last call's)
  // takes, recorded as taken, and whether it draws. The first call after the
  // start or a Restart takes one step, draws it and starts the grid.
  FrameSteps StepsDue(MonotonicClock::time_point now);

  // When a host that sleeps between frames wakes next: at the step that the
  // next frame draws, or where frames are more than kMostStepsPerFrame steps
  // apart, at the last step one call may take. A time already past means at
  // once.
  MonotonicClock::time_point NextFrameAt() const;

  // Forgets the grid: the next call takes one step, draws it and starts a
  // new grid (after the page was hidden or paused), so the time between is
  // not caught up.
  void Restart();

 private:
  MonotonicClock::duration period_;
  double stepsPerFrame_ = 1;
  double sinceFrame_ = 0;  // steps taken since the last frame drawn
  MonotonicClock::time_point next_{};
  bool started_ = false;
};

// The step clock of a display program's --delay, the time between frames:
// steps 60 a second, frames at most every `delay` (and at most one a step);
// 0 paces nothing, a step and a frame at every call, as fast as the program
// can.
StepClock DelayStepClock(std::chrono::microseconds delay);
