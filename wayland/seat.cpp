#include "wayland/seat.h"

#include <unistd.h>
#include <wayland-client.h>

#include "wayland/ignore_event.h"
#include "wayland/program.h"

namespace {

Seat& SeatOf(void* data) { return *static_cast<Seat*>(data); }

// The pointer's first position on a surface is where its moves count from.
void PointerEnter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  Seat& seat = SeatOf(data);
  if (seat.Program->Shown) seat.Threshold.PointerEntered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  Seat& seat = SeatOf(data);
  if (seat.Threshold.PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y))) EndScene(*seat.Program);
}

void PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) EndScene(*SeatOf(data).Program);
}

wl_pointer_listener PointerListener() {
  wl_pointer_listener listener{};
  listener.enter = PointerEnter;
  listener.leave = IgnoreEvent;
  listener.motion = PointerMotion;
  listener.button = PointerButton;
  listener.axis = IgnoreEvent;
  listener.frame = IgnoreEvent;
  listener.axis_source = IgnoreEvent;
  listener.axis_stop = IgnoreEvent;
  listener.axis_discrete = IgnoreEvent;
  listener.axis_value120 = IgnoreEvent;
  return listener;
}

// The keymap is not needed: any key counts.
void KeyboardKeymap(void*, wl_keyboard*, std::uint32_t, int fd, std::uint32_t) { close(fd); }

void KeyboardKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) EndScene(*SeatOf(data).Program);
}

wl_keyboard_listener KeyboardListener() {
  wl_keyboard_listener listener{};
  listener.keymap = KeyboardKeymap;
  listener.enter = IgnoreEvent;
  listener.leave = IgnoreEvent;
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
