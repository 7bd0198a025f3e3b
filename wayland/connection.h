// The connection to the compositor: the registry's globals that the program
// uses, the check that the compositor offers what the mode needs, EGL on the
// display, and the wait for the compositor's events.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct WaylandProgram;
struct wl_display;

// Connects to the compositor that WAYLAND_DISPLAY names, binds its globals,
// checks them and sets EGL up on the display; false once the one line that
// says why has been said.
bool Connect(WaylandProgram& program);

// Why the connection failed: a protocol error names the interface, else the
// compositor went away.
std::string ConnectionError(wl_display* display);

// Sends the requests made, waits for the compositor's events, until `until`
// where one is given, and handles what came. False when the connection
// failed.
bool Dispatch(wl_display* display, std::optional<std::chrono::steady_clock::time_point> until);
