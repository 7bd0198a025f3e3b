// The seat's input: a key, a pointer button or a turn of the wheel, or the
// pointer moved beyond its threshold, ends a shown scene (EndScene). Keys
// held when the scene appeared, releases, and the keyboard's and pointer's
// other events change nothing. Where the keyboard comes and goes, and the
// pointer's arrival on a surface (whose cursor the scene hides), are
// recorded for the loop, which takes them with TakeSeatRecords.
#pragma once

#include <cstdint>
#include <optional>

#include "wayland/pointer_threshold.h"

struct WaylandProgram;
struct wl_keyboard;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_surface;

struct Seat {
  explicit Seat(WaylandProgram* program) : Program(program) {}

  WaylandProgram* Program;
  wl_seat* WlSeat = nullptr;  // null until the registry names a seat
  wl_pointer* Pointer = nullptr;
  wl_keyboard* Keyboard = nullptr;
  PointerThreshold Threshold;

  // Where the keyboard and the pointer are (null: not on a surface of the
  // program's); and since the loop last took them: the surface the keyboard
  // left (null for one the program had destroyed), whether it came, and the
  // serial of the pointer's arrival (to hide its cursor).
  wl_surface* KeyboardOn = nullptr;
  wl_surface* PointerOn = nullptr;
  wl_surface* KeyboardLeftFrom = nullptr;
  bool KeyboardCame = false;
  std::optional<std::uint32_t> PointerEntered;
};

// Binds the registry's global `name` as the seat and follows its pointer and
// keyboard as they come and go.
void BindSeat(Seat& seat, wl_registry* registry, std::uint32_t name, std::uint32_t version);

// The loop's work on the seat's records: the cursor hidden over the scene,
// and the keyboard's and the pointer's moves told to the program's
// KeyboardHold (a surface that the compositor closed with its output, or the
// program destroyed, counts as none of the saver's).
void TakeSeatRecords(WaylandProgram& program);
