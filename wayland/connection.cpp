#include "wayland/connection.h"

#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "options/program_messages.h"
#include "viewporter-client-protocol.h"
#include "wayland/layer_shell.h"
#include "wayland/program.h"
#include "xdg-shell-client-protocol.h"

namespace {

constexpr const char* kProgram = "ombrel-wayland";

WaylandProgram& ProgramOf(void* data) { return *static_cast<WaylandProgram*>(data); }

void Pong(void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }

xdg_wm_base_listener WmBaseListener() {
  xdg_wm_base_listener listener{};
  listener.ping = Pong;
  return listener;
}

const xdg_wm_base_listener kWmBaseListener = WmBaseListener();

// The globals the program uses; the wallpaper takes no input, so it leaves
// the seat alone.
void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  WaylandProgram& program = ProgramOf(data);
  auto bind = [&](const wl_interface* wanted, std::uint32_t most) {
    return wl_registry_bind(registry, name, wanted, version < most ? version : most);
  };
  const std::string which = interface;
  if (which == wl_compositor_interface.name) {
    program.Compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (which == wl_shm_interface.name) {
    program.Shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (which == wp_viewporter_interface.name) {
    program.Viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
  } else if (which == wl_seat_interface.name && program.Input.WlSeat == nullptr && !program.Options.Background) {
    BindSeat(program.Input, registry, name, version);
  } else if (which == wl_output_interface.name) {
    AddOutput(program, registry, name, version);
  } else if (which == zwlr_layer_shell_v1_interface.name) {
    program.LayerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
  } else if (which == xdg_wm_base_interface.name) {
    program.WmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(program.WmBase, &kWmBaseListener, nullptr);
  } else if (which == ext_idle_notifier_v1_interface.name) {
    program.ExtIdle = static_cast<ext_idle_notifier_v1*>(bind(&ext_idle_notifier_v1_interface, 1));
  } else if (which == org_kde_kwin_idle_interface.name) {
    program.KdeIdle = static_cast<org_kde_kwin_idle*>(bind(&org_kde_kwin_idle_interface, 1));
  }
}

// An output that went away is let go, with its surface.
void GlobalRemove(void* data, wl_registry*, std::uint32_t name) { RemoveOutput(ProgramOf(data), name); }

wl_registry_listener RegistryListener() {
  wl_registry_listener listener{};
  listener.global = Global;
  listener.global_remove = GlobalRemove;
  return listener;
}

const wl_registry_listener kRegistryListener = RegistryListener();

// Checks what the session offers before anything is shown; the one line for
// what is missing.
bool CheckCompositor(const WaylandProgram& program, std::string& error) {
  const bool idle = program.Options.IdleSeconds.has_value();
  const char* kLayerShell = "a compositor with the layer shell (wlr-layer-shell-unstable-v1), which this one lacks";
  if (program.Compositor == nullptr) {
    error = "the Wayland compositor offers no wl_compositor";
  } else if (program.LayerShell == nullptr && (idle || program.Options.Background)) {
    error = std::string(idle ? "--idle" : "--background") + " needs " + kLayerShell;
  } else if (program.LayerShell == nullptr && program.WmBase == nullptr) {
    error = "the Wayland compositor offers neither the layer shell nor xdg-shell";
  } else if (Guarded(program) && program.Shm == nullptr) {
    error = "the Wayland compositor offers no shared memory (wl_shm)";
  } else if (idle && program.Input.WlSeat == nullptr) {
    error = "--idle needs a seat, and the Wayland compositor offers none";
  } else if (idle && program.ExtIdle == nullptr && program.KdeIdle == nullptr) {
    error = "--idle needs idle notifications (ext-idle-notify-v1 or org_kde_kwin_idle), which this "
            "Wayland compositor does not offer";
  }
  return error.empty();
}

}  // namespace

std::string ConnectionError(wl_display* display) {
  const int error = wl_display_get_error(display);
  if (error == EPROTO) {
    const wl_interface* interface = nullptr;
    std::uint32_t id = 0;
    const std::uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
    return std::string("the compositor reported protocol error ") + std::to_string(code) + " on " +
           (interface ? interface->name : "an unknown interface");
  }
  return "lost the connection to the Wayland compositor";
}

bool Connect(WaylandProgram& program) {
  program.Display = wl_display_connect(nullptr);
  if (program.Display == nullptr) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    ReportError(kProgram, std::string("cannot connect to the Wayland compositor '") + (name ? name : "") + "'");
    return false;
  }
  wl_registry* registry = wl_display_get_registry(program.Display);
  wl_registry_add_listener(registry, &kRegistryListener, &program);
  // The globals, then the outputs' and the seat's first events.
  if (wl_display_roundtrip(program.Display) < 0 || wl_display_roundtrip(program.Display) < 0) {
    ReportError(kProgram, ConnectionError(program.Display));
    return false;
  }
  std::string error;
  if (!CheckCompositor(program, error)) {
    ReportError(kProgram, error);
    return false;
  }
  if (!program.Egl.Open(EGL_PLATFORM_WAYLAND_KHR, program.Display, error) || !program.Egl.Create(error)) {
    ReportError(kProgram, "no OpenGL ES 3 through EGL on this Wayland display: " + error);
    return false;
  }
  return true;
}

bool Dispatch(wl_display* display, std::optional<std::chrono::steady_clock::time_point> until) {
  if (!until) return wl_display_dispatch(display) >= 0;
  while (wl_display_prepare_read(display) != 0)
    if (wl_display_dispatch_pending(display) < 0) return false;
  // What the socket cannot take now goes with the next flush.
  wl_display_flush(display);
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(*until - std::chrono::steady_clock::now()).count();
  pollfd fd{wl_display_get_fd(display), POLLIN, 0};
  const int ready = poll(&fd, 1, left <= 0 ? 0 : left >= INT_MAX ? INT_MAX : static_cast<int>(left));
  if (ready <= 0) {
    wl_display_cancel_read(display);
    return ready == 0 || errno == EINTR;
  }
  return wl_display_read_events(display) >= 0 && wl_display_dispatch_pending(display) >= 0;
}
