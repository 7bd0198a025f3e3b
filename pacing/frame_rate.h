// The frame rate, measured over each second of frames, for the hosts'
// frame-rate display ("FPS: 59.9"). The hosts pass in the time each frame
// was done on the monotonic clock, so that it can be tested without waiting.
#pragma once

#include "pacing/step_clock.h"

class FrameRate {
 public:
  // Counts a frame done at `now`; true when the text has changed. The first
  // frame after the start or a Restart only starts the count.
  bool FrameDone(MonotonicClock::time_point now);

  // Forgets the frames so far (after the page was hidden), so that a spell
  // without frames is not counted as one slow frame.
  void Restart() { started_ = false; }

  // "FPS: 59.9", or "FPS: -" until the first second has been measured.
  const char* Text() const { return text_; }

 private:
  MonotonicClock::time_point since_{};
  bool started_ = false;
  int frames_ = 0;
  char text_[24] = "FPS: -";
};
