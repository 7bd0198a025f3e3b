// The tests' own clients (a window, the virtual input devices) connect to the
// compositor named by WAYLAND_DISPLAY the same way: connect, then have the
// registry hand every global to the client's listener in one round trip.
#pragma once

#include <wayland-client.h>

// The connection with the globals already bound by `listener`, or null when
// no compositor answers.
inline wl_display* ConnectAndBindGlobals(const wl_registry_listener& listener, void* data) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  wl_registry_add_listener(wl_display_get_registry(display), &listener, data);
  wl_display_roundtrip(display);
  return display;
}
