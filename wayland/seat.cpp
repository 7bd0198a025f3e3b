#include "wayland/seat.h"

#include <unistd.h>
#include <wayland-client.h>

#include "wayland/ignore_event.h"
#include "wayland/program.h"

namespace {

Seat& SeatOf(void* data) { return *static_cast<Seat*>(data); }

// The pointer's first position on a surface is where its moves count from;
// its cursor is to be hidden there.
void PointerEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  Seat& seat = SeatOf(data);
  if (!seat.Program->Shown) return;
  seat.Threshold.PointerEntered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
  seat.PointerOn = surface;
  seat.PointerEntered = serial;
}

void PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) { SeatOf(data).PointerOn = nullptr; }

void PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  Seat& seat = SeatOf(data);
  if (seat.Threshold.PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y))) EndScene(*seat.Program);
}

void PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) EndScene(*SeatOf(data).Program);
}

// A turn of the wheel (not the end of a finger's scroll, which has no value).
void PointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t value) {
  if (value != 0) EndScene(*SeatOf(data).Program);
}

wl_pointer_listener PointerListener() {
  wl_pointer_listener listener{};
  listener.enter = PointerEnter;
  listener.leave = PointerLeave;
  listener.motion = PointerMotion;
  listener.button = PointerButton;
  listener.axis = PointerAxis;
  listener.frame = IgnoreEvent;
  listener.axis_source = IgnoreEvent;
  listener.axis_stop = IgnoreEvent;
  listener.axis_discrete = IgnoreEvent;
  listener.axis_value120 = IgnoreEvent;
  return listener;
}

// The keymap is not needed: any key counts.
void KeyboardKeymap(void*, wl_keyboard*, std::uint32_t, int fd, std::uint32_t) { close(fd); }

void KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
  Seat& seat = SeatOf(data);
  seat.KeyboardOn = surface;
  seat.KeyboardCame = true;
}

void KeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
  Seat& seat = SeatOf(data);
  seat.KeyboardOn = nullptr;
  seat.KeyboardLeftFrom = surface;
}

void KeyboardKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) EndScene(*SeatOf(data).Program);
}

wl_keyboard_listener KeyboardListener() {
  wl_keyboard_listener listener{};
  listener.keymap = KeyboardKeymap;
  listener.enter = KeyboardEnter;
  listener.leave = KeyboardLeave;
  listener.key = KeyboardKey;
  listener.modifiers = IgnoreEvent;
  listener.repeat_info = IgnoreEvent;
  return listener;
}

const wl_pointer_listener kPointerListener = PointerListener();
const wl_keyboard_listener kKeyboardListener = KeyboardListener();

// The pointer and the keyboard, got when the seat gains them and let go when
// it loses them.
void SeatCapabilities(void* data, wl_seat* wlSeat, std::uint32_t capabilities) {
  Seat& seat = SeatOf(data);
  const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  if (pointer && seat.Pointer == nullptr) {
    seat.Pointer = wl_seat_get_pointer(wlSeat);
    wl_pointer_add_listener(seat.Pointer, &kPointerListener, &seat);
  } else if (!pointer && seat.Pointer != nullptr) {
    wl_pointer_destroy(seat.Pointer);
    seat.Pointer = nullptr;
  }
  if (keyboard && seat.Keyboard == nullptr) {
    seat.Keyboard = wl_seat_get_keyboard(wlSeat);
    wl_keyboard_add_listener(seat.Keyboard, &kKeyboardListener, &seat);
  } else if (!keyboard && seat.Keyboard != nullptr) {
    wl_keyboard_destroy(seat.Keyboard);
    seat.Keyboard = nullptr;
  }
}

wl_seat_listener SeatListener() {
  wl_seat_listener listener{};
  listener.capabilities = SeatCapabilities;
  listener.name = IgnoreEvent;
  return listener;
}

const wl_seat_listener kSeatListener = SeatListener();

}  // namespace

void BindSeat(Seat& seat, wl_registry* registry, std::uint32_t name, std::uint32_t version) {
  seat.WlSeat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5));
  wl_seat_add_listener(seat.WlSeat, &kSeatListener, &seat);
}

namespace {

// The program's surface `surface`, unless the compositor closed it.
const OutputSurface* LiveSurface(const WaylandProgram& program, const wl_surface* surface) {
  for (const auto& output : program.Outputs)
    if (surface != nullptr && output->Surface != nullptr && output->Surface->Surface == surface && !output->Closed)
      return output->Surface.get();
  return nullptr;
}

}  // namespace

void TakeSeatRecords(WaylandProgram& program) {
  Seat& seat = program.Input;
  if (seat.PointerEntered && seat.Pointer != nullptr)
    wl_pointer_set_cursor(seat.Pointer, *seat.PointerEntered, nullptr, 0, 0);
  const OutputSurface* keyboardLeft = LiveSurface(program, seat.KeyboardLeftFrom);
  FocusMoves moves;
  moves.KeyboardLeft = keyboardLeft != nullptr && keyboardLeft->TakesKeyboard;
  moves.KeyboardBack = LiveSurface(program, seat.KeyboardOn) != nullptr;
  moves.PointerOn = LiveSurface(program, seat.PointerOn) != nullptr;
  const bool came = seat.KeyboardCame;
  seat.PointerEntered.reset();
  seat.KeyboardLeftFrom = nullptr;
  seat.KeyboardCame = false;
  // Full-screen windows (no layer shell) lose the keyboard as windows do,
  // and go on showing.
  if (!Guarded(program)) return;
  program.Keyboard.Moved(moves);
  if (came && moves.KeyboardBack) program.Keyboard.Came();
}
