// Frame timing against a monotonic clock that the caller reads and passes in,
// so that the rules can be tested without waiting.
//
// The scene moves a fixed step per frame, so its speed is the frame rate.
// FramePacer keeps frame starts on a grid of one period, so that waking a
// little late from a wait does not slow the scene down. A frame that ends
// after its successor was due starts that successor at once; the grid is kept
// while the lag is less than a period, so that a frame now and then over its
// time is made up by the next ones, and given up once the lag reaches a whole
// period, so that a slow stretch is never followed by a burst of catching up.
// A machine that cannot keep up runs as fast as it can.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

using Clock = std::chrono::steady_clock;

class FramePacer {
 public:
  // A period of 0 does no pacing: every frame is due at once.
  explicit FramePacer(Clock::duration period) : period_(period) {}

  // The first frame starts at `now`.
  void Start(Clock::time_point now) { next_ = now + period_; }

  // When the next frame is due, asked once at the end of each frame, `now`
  // being that end; never earlier than `now`.
  Clock::time_point NextFrameAt(Clock::time_point now);

 private:
  Clock::duration period_;
  Clock::time_point next_;
};

// The calendar second that seeds a frame shown `elapsed` after a scene that
// started at `start`: start plus the whole seconds elapsed, wrapping with the
// clock's 32 bits.
std::uint32_t CalendarSecondAt(std::uint32_t start, Clock::duration elapsed);

// The frame rate, measured over each second of frames.
class FpsCounter {
 public:
  // Counts a frame that ended at `now`.
  void FrameDone(Clock::time_point now);

  // "FPS: 59.9", or "FPS: -" until the first second has been measured.
  std::string Text() const;

 private:
  Clock::time_point since_{};
  bool started_ = false;
  int frames_ = 0;
  double rate_ = -1;
};
