// Whether the saver may show its scene: only while its overlays hold the
// keyboard. A screen lock takes the keyboard when it starts, and the saver
// then steps aside for good (until it is shown again). A lock that was up
// first keeps the keyboard, so a newly shown saver that is not given the
// keyboard within kKeyboardBound never shows its scene.
//
// What counts as taken, batch by batch of the compositor's events: the
// keyboard left the overlay that holds it and is not back on one of the
// saver's surfaces when the batch ends; or it left and came back while the
// pointer, which had come to the saver's surfaces, is away from them. sway
// 1.7 does the second as a layer-shell lock's input inhibitor starts: it
// takes the pointer away, then hands the keyboard straight back to the
// oldest overlay, the saver's, so that the first key of the password would
// go to the saver. It moves the keyboard away and back just the same when
// only its own focus moves (a new output, a new window), and leaves the
// pointer alone then. (Its hide_cursor option takes the pointer away too: a
// focus move after that counts as taken, which hides the scene early.)
//
// The rule alone, without a compositor: the seat (wayland/seat.cpp) reports
// what the keyboard and the pointer did, the loop asks what to do.
#pragma once

#include <chrono>
#include <optional>

// How long a newly shown saver waits for the keyboard: the compositor gives
// it at once when nothing else holds it, within a round trip.
constexpr std::chrono::seconds kKeyboardBound{3};

// What one batch of events did to the input's focus.
struct FocusMoves {
  bool KeyboardLeft = false;  // the keyboard left the overlay that holds it
  bool KeyboardBack = false;  // the keyboard is on one of the saver's surfaces at the end
  bool PointerOn = false;     // the pointer is on one of them at the end
};

class KeyboardHold {
 public:
  using Clock = std::chrono::steady_clock;

  // The keyboard was asked for at `now`: a newly shown scene, or another of
  // the saver's overlays after the one that had it went away. What came
  // before (the keyboard held, or lost) stays.
  void Ask(Clock::time_point now) {
    if (needed_) deadline_ = now + kKeyboardBound;
  }

  // The keyboard came to one of the saver's overlays.
  void Came() {
    deadline_.reset();
    came_ = true;
  }

  // A batch's moves: where they take the keyboard away, it is lost,
  // whatever comes next.
  void Moved(const FocusMoves& moves) {
    pointerCame_ = pointerCame_ || moves.PointerOn;
    const bool pointerAway = pointerCame_ && !moves.PointerOn;
    if (moves.KeyboardLeft && (!moves.KeyboardBack || pointerAway)) lost_ = true;
  }

  // The keyboard is not needed (a seat without one): the scene shows, and
  // nothing waits for it.
  void NotNeeded() {
    Came();
    needed_ = false;
  }

  // Starts over for the next showing.
  void Reset() { *this = KeyboardHold(); }

  // Whether the scene may be drawn: the keyboard came and was not taken.
  bool Held() const { return came_ && !lost_; }

  // Whether the saver must step aside at `now`: the keyboard was taken, or
  // did not come within the bound.
  bool Lost(Clock::time_point now) const { return lost_ || (deadline_ && now >= *deadline_); }

  // Whether the keyboard was taken (rather than not coming).
  bool Taken() const { return lost_; }

  // When Lost turns true unless the keyboard comes; none when nothing waits.
  std::optional<Clock::time_point> Deadline() const { return lost_ ? std::nullopt : deadline_; }

 private:
  std::optional<Clock::time_point> deadline_;
  bool needed_ = true;
  bool came_ = false;
  bool pointerCame_ = false;
  bool lost_ = false;
};
