// The seat's input: a key or a pointer button pressed, or the pointer moved
// beyond its threshold, ends a shown scene (EndScene). Keys held when the
// scene appeared, releases, and the keyboard's and pointer's other events
// change nothing.
#pragma once

#include <cstdint>

#include "wayland/pointer_threshold.h"

struct WaylandProgram;
struct wl_keyboard;
struct wl_pointer;
struct wl_registry;
struct wl_seat;

struct Seat {
  explicit Seat(WaylandProgram* program) : Program(program) {}

  WaylandProgram* Program;
  wl_seat* WlSeat = nullptr;  // null until the registry names a seat
  wl_pointer* Pointer = nullptr;
  wl_keyboard* Keyboard = nullptr;
  PointerThreshold Threshold;
};

// Binds the registry's global `name` as the seat and follows its pointer and
// keyboard as they come and go.
void BindSeat(Seat& seat, wl_registry* registry, std::uint32_t name, std::uint32_t version);
