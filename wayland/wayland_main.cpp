// ombrel-wayland: the scene on every output of a Wayland session.
//
//   ombrel-wayland [options]      (see wayland/wayland_options.h and ombrel-wayland.6)
//
// Files by job: the outputs and their surfaces (outputs.cpp), the seat's
// input (seat.cpp), the frames (drawing.cpp), and here the registry, the
// checks of what the compositor offers, the loop and main. Callbacks reach
// the program's state (program.h) through their records' back-pointers and
// only record what happened; the loop acts on it.
//
// Without --idle the scene shows at once and a key, a pointer button or a
// pointer movement beyond the threshold ends the program. With --idle the
// program stays: the compositor's idle notification shows the scene, such
// input hides it again.
//
// Exit statuses: WaylandUsageParts (wayland/wayland_options.cpp). Errors are
// one line on stderr.
#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "options/program_messages.h"
#include "posix/stop_signals.h"
#include "wayland/drawing.h"
#include "wayland/idle_watch.h"
#include "wayland/ignore_event.h"
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

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  WaylandProgram& program = ProgramOf(data);
  auto bind = [&](const wl_interface* wanted, std::uint32_t most) {
    return wl_registry_bind(registry, name, wanted, version < most ? version : most);
  };
  const std::string which = interface;
  if (which == wl_compositor_interface.name) {
    program.Compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (which == wl_seat_interface.name && program.Input.WlSeat == nullptr) {
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

// Why the connection failed: a protocol error names the interface, else the
// compositor went away.
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

// Checks what the session offers before anything is shown; the one line for
// what is missing.
bool CheckCompositor(const WaylandProgram& program, std::string& error) {
  const bool idle = program.Options.IdleSeconds.has_value();
  if (program.Compositor == nullptr) {
    error = "the Wayland compositor offers no wl_compositor";
  } else if (program.LayerShell == nullptr && idle) {
    error = "--idle needs a compositor with the layer shell (wlr-layer-shell-unstable-v1), which this one lacks";
  } else if (program.LayerShell == nullptr && program.WmBase == nullptr) {
    error = "the Wayland compositor offers neither the layer shell nor xdg-shell";
  } else if (idle && program.Input.WlSeat == nullptr) {
    error = "--idle needs a seat, and the Wayland compositor offers none";
  } else if (idle && program.ExtIdle == nullptr && program.KdeIdle == nullptr) {
    error = "--idle needs idle notifications (ext-idle-notify-v1 or org_kde_kwin_idle), which this "
            "Wayland compositor does not offer";
  }
  return error.empty();
}

// Connects, checks the compositor and sets EGL up on it; false with the one
// line said.
bool Connect(WaylandProgram& program) {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if ((name == nullptr || *name == '\0') && std::getenv("WAYLAND_SOCKET") == nullptr) {
    ReportError(kProgram, "no Wayland session: WAYLAND_DISPLAY is not set");
    return false;
  }
  program.Display = wl_display_connect(nullptr);
  if (program.Display == nullptr) {
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

int Run(WaylandProgram& program) {
  if (!Connect(program)) return 1;
  SaverSettings = program.Options.Settings;
  if (program.Options.Frames && *program.Options.Frames == 0) return 0;
  if (program.LayerShell == nullptr)
    ReportError(kProgram, "the compositor has no layer shell; showing the scene in full-screen windows instead");

  IdleWatch idle;
  if (program.Options.IdleSeconds) {
    idle.OnIdle = [&program] { ShowScene(program); };
    if (!idle.Start(program.ExtIdle, program.KdeIdle, program.Input.WlSeat, *program.Options.IdleSeconds * 1000u)) {
      ReportError(kProgram, "the compositor's idle notifications cannot be started");
      return 1;
    }
  } else {
    ShowScene(program);
  }
  while (!program.Ended) {
    UpdateSurfaces(program);
    DrawDueFrames(program);
    if (program.Ended) break;
    if (wl_display_dispatch(program.Display) < 0) Fail(program, ConnectionError(program.Display));
  }
  // The last frames reach the compositor before the program ends.
  if (program.Error.empty() && wl_display_roundtrip(program.Display) < 0)
    program.Error = ConnectionError(program.Display);
  if (!program.Error.empty()) {
    ReportError(kProgram, program.Error);
    return 1;
  }
  return 0;
}

}  // namespace

void Fail(WaylandProgram& program, const std::string& error) {
  if (program.Error.empty()) program.Error = error;
  program.Ended = true;
}

void ShowScene(WaylandProgram& program) {
  if (program.Shown) return;
  program.Shown = true;
  program.Input.Threshold.Reset();
  for (auto& output : program.Outputs) output->Closed = false;
}

void EndScene(WaylandProgram& program) {
  if (!program.Shown) return;
  if (program.Options.IdleSeconds) program.Shown = false;
  else program.Ended = true;
}

int main(int argc, char** argv) {
  EndOnStopSignals();
  static WaylandProgram program;
  std::string error;
  const CommandLine asked = ParseWaylandOptions(argc, argv, program.Options, error);
  if (asked != CommandLine::kRun) return AnswerCommandLine(asked, kProgram, WaylandUsage(), error);
  // The process ends here without tearing down: the compositor frees what
  // the connection held.
  const int status = Run(program);
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(status);
}
