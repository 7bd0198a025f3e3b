// When the page's scene takes a step. The scene moves a fixed step per frame,
// so its speed is the frame rate; the page draws from the browser's animation
// callbacks, which come at the display's refresh rate (60, 120, 144 Hz...).
//
// StepClock keeps steps on a grid of one period (1/60 s) against the
// callbacks' timestamps: a callback steps when the next grid point is at most
// a quarter period away (timestamps jitter, and a 60 Hz display's callbacks
// must each step), and never more than once. Fast displays therefore skip the
// callbacks between steps and the scene keeps its speed. A lag under one
// period is made up by the next callbacks; a lag of a whole period or more
// (a slow machine, a stalled tab) starts a new grid from now, so that no
// backlog of steps ever follows.
#pragma once

class StepClock {
 public:
  // `periodMs` of 0 is no pacing: every callback steps.
  explicit StepClock(double periodMs) : period_(periodMs) {}

  // Whether the callback with timestamp `nowMs` (milliseconds, increasing)
  // takes a step.
  bool StepDue(double nowMs);

  // Forgets the grid: the next callback steps and starts a new one (after the
  // page was hidden).
  void Restart() { started_ = false; }

 private:
  double period_;
  double next_ = 0;
  bool started_ = false;
};

// The frame rate, measured over each second of frames, for the page's
// frame-rate display.
class FrameRate {
 public:
  // Counts a frame drawn at `nowMs`; true when the text has changed.
  bool FrameDone(double nowMs);

  // Forgets the frames so far (after the page was hidden).
  void Restart() { started_ = false; }

  // "FPS: 59.9", or "FPS: -" until the first second has been measured.
  const char* Text() const { return text_; }

 private:
  double since_ = 0;
  bool started_ = false;
  int frames_ = 0;
  char text_[24] = "FPS: -";
};
