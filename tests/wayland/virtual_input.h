// The tests' input: a virtual keyboard and a virtual pointer in the seat of
// the compositor named by WAYLAND_DISPLAY, made once and kept for the test
// (a keyboard that is made and types at once may lose its first key). Every
// call returns once the compositor has handled it (a round trip), so that
// whatever it sends the clients is on its way.
#pragma once

#include <cstdint>
#include <string>

struct wl_display;
struct wl_seat;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

class VirtualInput {
 public:
  VirtualInput();
  ~VirtualInput();
  VirtualInput(const VirtualInput&) = delete;
  VirtualInput& operator=(const VirtualInput&) = delete;

  // Empty when the devices are there; else what is missing.
  const std::string& Error() const { return error_; }

  // Presses and releases a key (a Linux key code, KEY_SPACE...).
  void Key(std::uint32_t key);
  // Presses and releases a button (BTN_LEFT...).
  void Button(std::uint32_t button);
  // Moves the pointer by dx, dy.
  void Move(double dx, double dy);
  // Puts the pointer at x, y of a layout of width x height (one output's
  // size when there is one output).
  void MoveTo(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height);
  // Turns a mouse wheel by `notches` (down when positive).
  void Scroll(int notches);

  wl_seat* Seat = nullptr;
  zwlr_virtual_pointer_manager_v1* PointerManager = nullptr;
  zwp_virtual_keyboard_manager_v1* KeyboardManager = nullptr;

 private:
  void Sync();

  wl_display* display_ = nullptr;
  zwlr_virtual_pointer_v1* pointer_ = nullptr;
  zwp_virtual_keyboard_v1* keyboard_ = nullptr;
  std::uint32_t time_ = 1;
  std::string error_;
};
