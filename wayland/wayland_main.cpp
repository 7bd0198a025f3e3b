// ombrel-wayland: the scene on every output of a Wayland session.
//
//   ombrel-wayland [options]      (see wayland/saver_options.h and ombrel-wayland.6)
//
// Each output gets a surface of its own: a layer-shell overlay anchored to
// all four edges (above every window, with the keyboard), or, where the
// compositor has no layer shell, a full-screen toplevel. Each surface shows a
// scene of its own at the output's size in pixels (its buffer scale is the
// output's, so a 2x output is sharp), drawn through the GL 1.1 layer on one
// OpenGL ES 3 context (egl/), and frames come on the surface's frame
// callbacks, stepped by the shared step clock (pacing/). Outputs that appear
// get a surface, outputs that go away are let go.
//
// Without --idle the scene shows at once and a key, a pointer button or a
// pointer movement beyond the threshold ends the program (InputRules). With
// --idle the program stays: the compositor's idle notification shows the
// scene, such input hides it again.
//
// Exit codes: 0 when ended by a signal (SIGTERM, SIGINT), by input, after
// --frames, or for --help and --version; 2 for bad arguments; 1 when it
// cannot draw (no compositor, no EGL with OpenGL ES 3, no idle protocol for
// --idle) or loses the compositor. Errors are one line on stderr.
#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "egl/egl_window_context.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "pacing/frame_rate.h"
#include "pacing/step_clock.h"
#include "posix/stop_signals.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "render/fps_text.h"
#include "wayland/idle_state.h"
#include "wayland/idle_watch.h"
#include "wayland/input_rules.h"
#include "wayland/layer_shell.h"
#include "wayland/output_scene.h"
#include "wayland/saver_options.h"
#include "xdg-shell-client-protocol.h"

namespace {

constexpr const char* kProgram = "ombrel-wayland";

// One output and, while the scene is shown, its surface.
struct Output {
  std::uint32_t Name = 0;  // the global's
  wl_output* WlOutput = nullptr;
  std::uint32_t Version = 0;
  int Scale = 1;
  int ModeWidth = 0, ModeHeight = 0;  // pixels
  bool Described = false;             // its first "done" came

  wl_surface* Surface = nullptr;
  zwlr_layer_surface_v1* Layer = nullptr;
  xdg_surface* XdgSurface = nullptr;
  xdg_toplevel* Toplevel = nullptr;
  wl_egl_window* EglWindow = nullptr;
  void* EglSurface = nullptr;
  int Width = 0, Height = 0;  // surface coordinates, from the compositor's configure
  int BufferScale = 1;
  bool Configured = false;
  bool FrameWanted = false;  // a frame callback came, or the first frame is due
  wl_callback* FrameCallback = nullptr;

  StepClock Steps{kStepPeriod};
  FrameRate Fps;
  std::uint64_t Drawn = 0;  // steps taken, as ombrel-frames counts its frames
  OutputScenes::Scene Scene;
};

struct Saver {
  SaverOptions Options;
  wl_display* Display = nullptr;
  wl_compositor* Compositor = nullptr;
  wl_seat* Seat = nullptr;
  wl_pointer* Pointer = nullptr;
  wl_keyboard* Keyboard = nullptr;
  zwlr_layer_shell_v1* LayerShell = nullptr;
  xdg_wm_base* WmBase = nullptr;
  ext_idle_notifier_v1* ExtIdle = nullptr;
  org_kde_kwin_idle* KdeIdle = nullptr;
  std::vector<std::unique_ptr<Output>> Outputs;

  EglWindowContext Egl;
  OutputScenes Scenes;
  InputRules Input;
  IdleState Idle;
  bool Shown = false;
  bool Ended = false;
  std::string Error;  // what ends the program with 1
};

Saver* TheSaver = nullptr;

void Fail(Saver& saver, const std::string& error) {
  if (saver.Error.empty()) saver.Error = error;
  saver.Ended = true;
}

// ---- surfaces ------------------------------------------------------------

void DestroySurface(Saver& saver, Output& output) {
  if (output.FrameCallback != nullptr) wl_callback_destroy(output.FrameCallback);
  saver.Egl.DestroySurface(output.EglSurface);
  if (output.EglWindow != nullptr) wl_egl_window_destroy(output.EglWindow);
  if (output.Layer != nullptr) zwlr_layer_surface_v1_destroy(output.Layer);
  if (output.Toplevel != nullptr) xdg_toplevel_destroy(output.Toplevel);
  if (output.XdgSurface != nullptr) xdg_surface_destroy(output.XdgSurface);
  if (output.Surface != nullptr) wl_surface_destroy(output.Surface);
  saver.Scenes.Forget(output.Scene);
  output.FrameCallback = nullptr;
  output.EglSurface = nullptr;
  output.EglWindow = nullptr;
  output.Layer = nullptr;
  output.Toplevel = nullptr;
  output.XdgSurface = nullptr;
  output.Surface = nullptr;
  output.Configured = false;
  output.FrameWanted = false;
  output.Drawn = 0;
  output.Scene.reset();
  output.Fps.Restart();
  output.Steps.Restart();
}

// The surface's size from the compositor, in surface coordinates: the window
// surface is made at the first, resized at a later one, and a frame is due.
void Configure(Saver& saver, Output& output, int width, int height) {
  output.Width = width;
  output.Height = height;
  output.BufferScale = output.Scale;
  const int pixelWidth = width * output.BufferScale, pixelHeight = height * output.BufferScale;
  wl_surface_set_buffer_scale(output.Surface, output.BufferScale);
  if (output.EglWindow == nullptr) {
    output.EglWindow = wl_egl_window_create(output.Surface, pixelWidth, pixelHeight);
    std::string error;
    output.EglSurface = output.EglWindow ? saver.Egl.CreateSurface(output.EglWindow, error) : nullptr;
    if (output.EglSurface == nullptr) {
      Fail(saver, error.empty() ? "cannot make a window for EGL" : error);
      return;
    }
  } else {
    wl_egl_window_resize(output.EglWindow, pixelWidth, pixelHeight, 0, 0);
  }
  if (!output.Configured) output.FrameWanted = true;
  output.Configured = true;
}

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                    std::uint32_t height) {
  auto* output = static_cast<Output*>(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  if (width == 0 || height == 0) {
    Fail(*TheSaver, "the compositor gave the overlay no size");
    return;
  }
  Configure(*TheSaver, *output, static_cast<int>(width), static_cast<int>(height));
}

// The compositor took the surface away (its output is going): let it go.
void LayerClosed(void* data, zwlr_layer_surface_v1*) { DestroySurface(*TheSaver, *static_cast<Output*>(data)); }

const zwlr_layer_surface_v1_listener kLayerListener = {LayerConfigure, LayerClosed};

// A full-screen toplevel's size comes in the toplevel's configure and takes
// effect at the surface's; 0 leaves it to the program: the output's mode.
void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
  auto* output = static_cast<Output*>(data);
  output->Width = width > 0 ? width : output->ModeWidth / output->Scale;
  output->Height = height > 0 ? height : output->ModeHeight / output->Scale;
}

void ToplevelClose(void*, xdg_toplevel*) { TheSaver->Ended = true; }
void ToplevelBounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener kToplevelListener = {ToplevelConfigure, ToplevelClose, ToplevelBounds,
                                                 ToplevelCapabilities};

void XdgSurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
  auto* output = static_cast<Output*>(data);
  xdg_surface_ack_configure(surface, serial);
  const int width = output->Width > 0 ? output->Width : 1024, height = output->Height > 0 ? output->Height : 768;
  Configure(*TheSaver, *output, width, height);
}

const xdg_surface_listener kXdgSurfaceListener = {XdgSurfaceConfigure};

void Pong(void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kWmBaseListener = {Pong};

// The surface of one output: an overlay anchored to every edge, ignoring
// other surfaces' exclusive zones, with the keyboard; or a full-screen
// toplevel where there is no layer shell. Its first commit asks for the
// compositor's configure.
void MakeSurface(Saver& saver, Output& output) {
  output.Surface = wl_compositor_create_surface(saver.Compositor);
  if (saver.LayerShell != nullptr) {
    output.Layer = zwlr_layer_shell_v1_get_layer_surface(saver.LayerShell, output.Surface, output.WlOutput,
                                                         ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "ombrel");
    zwlr_layer_surface_v1_add_listener(output.Layer, &kLayerListener, &output);
    zwlr_layer_surface_v1_set_anchor(output.Layer,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(output.Layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(output.Layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(output.Layer,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  } else {
    output.XdgSurface = xdg_wm_base_get_xdg_surface(saver.WmBase, output.Surface);
    xdg_surface_add_listener(output.XdgSurface, &kXdgSurfaceListener, &output);
    output.Toplevel = xdg_surface_get_toplevel(output.XdgSurface);
    xdg_toplevel_add_listener(output.Toplevel, &kToplevelListener, &output);
    xdg_toplevel_set_title(output.Toplevel, "Ombrel");
    xdg_toplevel_set_app_id(output.Toplevel, "ombrel");
    xdg_toplevel_set_fullscreen(output.Toplevel, output.WlOutput);
  }
  wl_surface_commit(output.Surface);
}

void Show(Saver& saver) {
  saver.Shown = true;
  saver.Input.Reset();
  for (auto& output : saver.Outputs)
    if (output->Described && output->Surface == nullptr) MakeSurface(saver, *output);
}

void Hide(Saver& saver) {
  saver.Shown = false;
  for (auto& output : saver.Outputs) DestroySurface(saver, *output);
}

// ---- frames --------------------------------------------------------------

void FrameDone(void* data, wl_callback* callback, std::uint32_t) {
  auto* output = static_cast<Output*>(data);
  wl_callback_destroy(callback);
  output->FrameCallback = nullptr;
  output->FrameWanted = true;
}

const wl_callback_listener kFrameListener = {FrameDone};

void RequestFrame(Output& output) {
  output.FrameCallback = wl_surface_frame(output.Surface);
  wl_callback_add_listener(output.FrameCallback, &kFrameListener, &output);
}

// The random source and the scene's values before a frame of `output`: from
// the test clock's second for the output's frame count, as ombrel-frames
// counts, or from the calendar.
void Refresh(const Saver& saver, const Output& output) {
  if (saver.Options.Clock) ReseedFromTime(CalendarSecondAt(*saver.Options.Clock, Steps(output.Drawn)));
  else ReseedFromClock();
  DeriveSceneParameters();
}

// Takes `steps` steps of `output`'s scene (made by its first frame) without
// drawing.
void TakeSteps(Saver& saver, Output& output, std::uint64_t steps) {
  if (steps == 0 || !output.Scene) return;
  saver.Scenes.Activate(output.Scene);
  for (std::uint64_t step = 0; step < steps; ++step) {
    Refresh(saver, output);
    SimulateFrame();
    ++output.Drawn;
  }
}

// One frame of `output`'s scene after `steps` steps (at least one), of which
// the last is drawn; its first frame starts the scene.
void DrawFrame(Saver& saver, Output& output, std::uint64_t steps) {
  if (!saver.Egl.MakeCurrent(output.EglSurface)) {
    Fail(saver, "EGL cannot draw into the surface of an output");
    return;
  }
  const int width = output.Width * output.BufferScale, height = output.Height * output.BufferScale;
  const bool first = !output.Scene;
  saver.Scenes.Activate(output.Scene);
  // As ombrel-frames: the scene is made from its first second's reseed, and
  // every frame draws from a reseed of its own.
  if (first) {
    Refresh(saver, output);
    StartScene(width, height);
  }
  TakeSteps(saver, output, steps > 1 ? steps - 1 : 0);
  SetProjection(width, height);
  Refresh(saver, output);
  RenderFrame();
  if (saver.Options.ShowFps) DrawFpsText(output.Fps.Text(), width, height, output.BufferScale);
  RequestFrame(output);
  if (!saver.Egl.Swap(output.EglSurface)) {
    Fail(saver, "EGL cannot show a frame on an output");
    return;
  }
  ++output.Drawn;
  output.Fps.FrameDone(MonotonicClock::now());
}

bool AllFramesDrawn(const Saver& saver) {
  if (!saver.Options.Frames) return false;
  bool any = false;
  for (const auto& output : saver.Outputs) {
    if (output->Surface == nullptr) continue;
    if (output->Drawn < *saver.Options.Frames) return false;
    any = true;
  }
  return any;
}

// Draws on every output whose frame callback came and whose step is due; an
// output whose step is not due yet asks for the next callback.
void DrawDueFrames(Saver& saver) {
  for (auto& output : saver.Outputs) {
    if (saver.Ended) return;
    if (!output->Configured || !output->FrameWanted) continue;
    if (saver.Options.Frames && output->Drawn >= *saver.Options.Frames) continue;
    output->FrameWanted = false;
    // The first frame after the surface appeared starts the step grid. Steps
    // between the frames that --delay allows are taken without drawing.
    const FrameSteps due = output->Steps.StepsDue(MonotonicClock::now());
    std::uint64_t steps = static_cast<std::uint64_t>(due.Steps);
    const bool last = saver.Options.Frames && steps >= *saver.Options.Frames - output->Drawn;
    if (last) steps = *saver.Options.Frames - output->Drawn;
    if (due.Draw || last) {
      DrawFrame(saver, *output, steps);
    } else {
      TakeSteps(saver, *output, steps);
      RequestFrame(*output);
      wl_surface_commit(output->Surface);
    }
  }
  if (AllFramesDrawn(saver)) saver.Ended = true;
}

// ---- input ---------------------------------------------------------------

// Input that ends the scene: the program ends, or in idle mode the scene hides.
void InputEnds(Saver& saver) {
  if (!saver.Shown) return;
  if (!saver.Options.IdleSeconds) {
    saver.Ended = true;
    return;
  }
  if (saver.Idle.InputEnded() == IdleState::kHide) Hide(saver);
}

void PointerEnter(void*, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  if (TheSaver->Shown) TheSaver->Input.PointerEntered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void PointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void PointerMotion(void*, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  if (TheSaver->Input.PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y))) InputEnds(*TheSaver);
}
void PointerButton(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) InputEnds(*TheSaver);
}
void PointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void PointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void PointerAxis120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

const wl_pointer_listener kPointerListener = {PointerEnter, PointerLeave, PointerMotion, PointerButton,
                                              PointerAxis, PointerFrame, PointerAxisSource, PointerAxisStop,
                                              PointerAxisDiscrete, PointerAxis120};

void KeyboardKeymap(void*, wl_keyboard*, std::uint32_t, int fd, std::uint32_t) { close(fd); }
void KeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void KeyboardKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) InputEnds(*TheSaver);
}
void KeyboardModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

const wl_keyboard_listener kKeyboardListener = {KeyboardKeymap, KeyboardEnter, KeyboardLeave, KeyboardKey,
                                                KeyboardModifiers, KeyboardRepeat};

void SeatCapabilities(void*, wl_seat* seat, std::uint32_t capabilities) {
  Saver& saver = *TheSaver;
  const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER, keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  if (pointer && saver.Pointer == nullptr) {
    saver.Pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(saver.Pointer, &kPointerListener, nullptr);
  } else if (!pointer && saver.Pointer != nullptr) {
    wl_pointer_destroy(saver.Pointer);
    saver.Pointer = nullptr;
  }
  if (keyboard && saver.Keyboard == nullptr) {
    saver.Keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(saver.Keyboard, &kKeyboardListener, nullptr);
  } else if (!keyboard && saver.Keyboard != nullptr) {
    wl_keyboard_destroy(saver.Keyboard);
    saver.Keyboard = nullptr;
  }
}
void SeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener = {SeatCapabilities, SeatName};

// ---- outputs and globals ---------------------------------------------------

void OutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t) {}
void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
  auto* output = static_cast<Output*>(data);
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  output->ModeWidth = width;
  output->ModeHeight = height;
}
void OutputScale(void* data, wl_output*, std::int32_t scale) {
  static_cast<Output*>(data)->Scale = scale > 0 ? scale : 1;
}
// The output's description is complete: a new output gets the scene when it
// is shown, a shown one takes a changed scale at its next frame.
void OutputDone(void* data, wl_output*) {
  auto* output = static_cast<Output*>(data);
  Saver& saver = *TheSaver;
  output->Described = true;
  if (saver.Shown && output->Surface == nullptr) MakeSurface(saver, *output);
  if (output->Configured && output->Scale != output->BufferScale) {
    Configure(saver, *output, output->Width, output->Height);
    saver.Scenes.Forget(output->Scene);
    output->Scene.reset();
  }
}
void OutputName(void*, wl_output*, const char*) {}
void OutputDescription(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale, OutputName,
                                            OutputDescription};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  Saver& saver = *static_cast<Saver*>(data);
  auto bind = [&](const wl_interface* wanted, std::uint32_t most) {
    return wl_registry_bind(registry, name, wanted, version < most ? version : most);
  };
  const std::string which = interface;
  if (which == wl_compositor_interface.name) {
    saver.Compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (which == wl_seat_interface.name && saver.Seat == nullptr) {
    saver.Seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
    wl_seat_add_listener(saver.Seat, &kSeatListener, nullptr);
  } else if (which == wl_output_interface.name) {
    auto output = std::make_unique<Output>();
    output->Name = name;
    output->Version = version < 4 ? version : 4;
    output->WlOutput = static_cast<wl_output*>(bind(&wl_output_interface, 4));
    output->Steps = DelayStepClock(std::chrono::microseconds(saver.Options.DelayMicroseconds));
    wl_output_add_listener(output->WlOutput, &kOutputListener, output.get());
    saver.Outputs.push_back(std::move(output));
  } else if (which == zwlr_layer_shell_v1_interface.name) {
    saver.LayerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
  } else if (which == xdg_wm_base_interface.name) {
    saver.WmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(saver.WmBase, &kWmBaseListener, nullptr);
  } else if (which == ext_idle_notifier_v1_interface.name) {
    saver.ExtIdle = static_cast<ext_idle_notifier_v1*>(bind(&ext_idle_notifier_v1_interface, 1));
  } else if (which == org_kde_kwin_idle_interface.name) {
    saver.KdeIdle = static_cast<org_kde_kwin_idle*>(bind(&org_kde_kwin_idle_interface, 1));
  }
}

// An output that went away is let go, with its surface.
void GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
  Saver& saver = *static_cast<Saver*>(data);
  for (auto it = saver.Outputs.begin(); it != saver.Outputs.end(); ++it) {
    Output& output = **it;
    if (output.Name != name) continue;
    DestroySurface(saver, output);
    if (output.Version >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(output.WlOutput);
    else wl_output_destroy(output.WlOutput);
    saver.Outputs.erase(it);
    return;
  }
}

const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

// ---- the connection --------------------------------------------------------

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
bool CheckCompositor(const Saver& saver, std::string& error) {
  if (saver.Compositor == nullptr) {
    error = "the Wayland compositor offers no wl_compositor";
  } else if (saver.LayerShell == nullptr && saver.Options.IdleSeconds) {
    error = "--idle needs a compositor with the layer shell (wlr-layer-shell-unstable-v1), which this one lacks";
  } else if (saver.LayerShell == nullptr && saver.WmBase == nullptr) {
    error = "the Wayland compositor offers neither the layer shell nor xdg-shell";
  } else if (saver.Options.IdleSeconds && saver.Seat == nullptr) {
    error = "--idle needs a seat, and the Wayland compositor offers none";
  } else if (saver.Options.IdleSeconds && saver.ExtIdle == nullptr && saver.KdeIdle == nullptr) {
    error = "--idle needs idle notifications (ext-idle-notify-v1 or org_kde_kwin_idle), which this "
            "Wayland compositor does not offer";
  }
  return error.empty();
}

int Run(Saver& saver) {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if ((name == nullptr || *name == '\0') && std::getenv("WAYLAND_SOCKET") == nullptr) {
    ReportError(kProgram, "no Wayland session: WAYLAND_DISPLAY is not set");
    return 1;
  }
  saver.Display = wl_display_connect(nullptr);
  if (saver.Display == nullptr) {
    ReportError(kProgram, std::string("cannot connect to the Wayland compositor '") + (name ? name : "") + "'");
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(saver.Display);
  wl_registry_add_listener(registry, &kRegistryListener, &saver);
  // The globals, then the outputs' and the seat's first events.
  std::string error;
  if (wl_display_roundtrip(saver.Display) < 0 || wl_display_roundtrip(saver.Display) < 0) {
    ReportError(kProgram, ConnectionError(saver.Display));
    return 1;
  }
  if (!CheckCompositor(saver, error)) {
    ReportError(kProgram, error);
    return 1;
  }
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  void* eglDisplay =
      getPlatformDisplay ? getPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, saver.Display, nullptr) : EGL_NO_DISPLAY;
  if (!saver.Egl.Create(eglDisplay, error)) {
    ReportError(kProgram, "no OpenGL ES 3 through EGL on this Wayland display: " + error);
    return 1;
  }
  SaverSettings = saver.Options.Settings;
  if (saver.Options.Frames && *saver.Options.Frames == 0) return 0;
  if (saver.LayerShell == nullptr)
    ReportError(kProgram, "the compositor has no layer shell; showing the scene in full-screen windows instead");

  IdleWatch idle;
  if (saver.Options.IdleSeconds) {
    idle.OnIdle = [&saver] {
      if (saver.Idle.Idled() == IdleState::kShow) Show(saver);
    };
    idle.Start(saver.ExtIdle, saver.KdeIdle, saver.Seat, *saver.Options.IdleSeconds * 1000u);
  } else {
    Show(saver);
  }
  while (!saver.Ended) {
    DrawDueFrames(saver);
    if (saver.Ended) break;
    if (wl_display_dispatch(saver.Display) < 0) Fail(saver, ConnectionError(saver.Display));
  }
  // The last frames reach the compositor before the program ends.
  if (saver.Error.empty() && wl_display_roundtrip(saver.Display) < 0) saver.Error = ConnectionError(saver.Display);
  if (!saver.Error.empty()) {
    ReportError(kProgram, saver.Error);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  EndOnStopSignals();
  static Saver saver;
  std::string error;
  const CommandLine asked = ParseSaverOptions(argc, argv, saver.Options, error);
  if (asked != CommandLine::kRun) return AnswerCommandLine(asked, kProgram, SaverUsage(), error);
  TheSaver = &saver;
  // The process ends here without tearing down: the compositor frees what
  // the connection held.
  const int status = Run(saver);
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(status);
}
