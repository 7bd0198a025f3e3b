#include "wayland/outputs.h"

#include <wayland-client.h>
#include <wayland-egl.h>

#include <string>

#include "wayland/ignore_event.h"
#include "wayland/layer_shell.h"
#include "wayland/program.h"
#include "xdg-shell-client-protocol.h"

namespace {

OutputSurface& SurfaceOf(void* data) { return *static_cast<OutputSurface*>(data); }

// ---- the surfaces' roles -------------------------------------------------

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                    std::uint32_t height) {
  OutputSurface& surface = SurfaceOf(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  if (width == 0 || height == 0) {
    Fail(*surface.Owner.Program, "the compositor gave the overlay no size");
    return;
  }
  surface.AskedWidth = static_cast<int>(width);
  surface.AskedHeight = static_cast<int>(height);
  surface.ConfigurePending = true;
}

// The compositor took the surface away (its output is going).
void LayerClosed(void* data, zwlr_layer_surface_v1*) { SurfaceOf(data).Owner.Closed = true; }

zwlr_layer_surface_v1_listener LayerListener() {
  zwlr_layer_surface_v1_listener listener{};
  listener.configure = LayerConfigure;
  listener.closed = LayerClosed;
  return listener;
}

// A full-screen toplevel's size comes in the toplevel's configure and takes
// effect at the surface's; 0 leaves it to the program: the output's mode.
void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
  OutputSurface& surface = SurfaceOf(data);
  const Output& output = surface.Owner;
  surface.AskedWidth = width > 0 ? width : output.ModeWidth / output.Scale;
  surface.AskedHeight = height > 0 ? height : output.ModeHeight / output.Scale;
}

void ToplevelClose(void* data, xdg_toplevel*) { SurfaceOf(data).Owner.Program->Ended = true; }

xdg_toplevel_listener ToplevelListener() {
  xdg_toplevel_listener listener{};
  listener.configure = ToplevelConfigure;
  listener.close = ToplevelClose;
  listener.configure_bounds = IgnoreEvent;
  listener.wm_capabilities = IgnoreEvent;
  return listener;
}

void XdgSurfaceConfigure(void* data, xdg_surface* xdgSurface, std::uint32_t serial) {
  OutputSurface& surface = SurfaceOf(data);
  xdg_surface_ack_configure(xdgSurface, serial);
  if (surface.AskedWidth <= 0 || surface.AskedHeight <= 0) {
    surface.AskedWidth = 1024;
    surface.AskedHeight = 768;
  }
  surface.ConfigurePending = true;
}

xdg_surface_listener XdgSurfaceListener() {
  xdg_surface_listener listener{};
  listener.configure = XdgSurfaceConfigure;
  return listener;
}

const zwlr_layer_surface_v1_listener kLayerListener = LayerListener();
const xdg_toplevel_listener kToplevelListener = ToplevelListener();
const xdg_surface_listener kXdgSurfaceListener = XdgSurfaceListener();

// The surface of one output: an overlay anchored to every edge, ignoring
// other surfaces' exclusive zones, with the keyboard; or a full-screen
// toplevel where there is no layer shell. Its first commit asks for the
// compositor's configure.
std::unique_ptr<OutputSurface> MakeSurface(Output& output) {
  const WaylandProgram& program = *output.Program;
  const StepClock steps = DelayStepClock(std::chrono::microseconds(program.Options.DelayMicroseconds));
  auto made = std::make_unique<OutputSurface>(output, steps);
  OutputSurface& s = *made;
  s.Surface = wl_compositor_create_surface(program.Compositor);
  if (program.LayerShell != nullptr) {
    s.Layer = zwlr_layer_shell_v1_get_layer_surface(program.LayerShell, s.Surface, output.WlOutput,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "ombrel");
    zwlr_layer_surface_v1_add_listener(s.Layer, &kLayerListener, &s);
    zwlr_layer_surface_v1_set_anchor(s.Layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(s.Layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(s.Layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(s.Layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  } else {
    s.XdgSurface = xdg_wm_base_get_xdg_surface(program.WmBase, s.Surface);
    xdg_surface_add_listener(s.XdgSurface, &kXdgSurfaceListener, &s);
    s.Toplevel = xdg_surface_get_toplevel(s.XdgSurface);
    xdg_toplevel_add_listener(s.Toplevel, &kToplevelListener, &s);
    xdg_toplevel_set_title(s.Toplevel, "Ombrel");
    xdg_toplevel_set_app_id(s.Toplevel, "ombrel");
    xdg_toplevel_set_fullscreen(s.Toplevel, output.WlOutput);
  }
  wl_surface_commit(s.Surface);
  return made;
}

// Takes the size the compositor asked for at the output's scale: the EGL
// window is made at the first configure and resized at later ones, and the
// first frame is due. A new scale starts a new scene at the new size.
void TakeConfigure(WaylandProgram& program, OutputSurface& s) {
  const bool rescaled = s.Configured && s.BufferScale != s.Owner.Scale;
  s.ConfigurePending = false;
  s.Width = s.AskedWidth;
  s.Height = s.AskedHeight;
  s.BufferScale = s.Owner.Scale;
  const int pixelWidth = s.Width * s.BufferScale, pixelHeight = s.Height * s.BufferScale;
  wl_surface_set_buffer_scale(s.Surface, s.BufferScale);
  if (s.EglWindow == nullptr) {
    s.EglWindow = wl_egl_window_create(s.Surface, pixelWidth, pixelHeight);
    std::string error;
    s.EglSurface = s.EglWindow ? program.Egl.CreateSurface(s.EglWindow, error) : nullptr;
    if (s.EglSurface == nullptr) {
      Fail(program, error.empty() ? "cannot make a window for EGL" : error);
      return;
    }
  } else {
    wl_egl_window_resize(s.EglWindow, pixelWidth, pixelHeight, 0, 0);
  }
  if (rescaled) {
    program.Scenes.Forget(s.Scene);
    s.Scene.reset();
  }
  if (!s.Configured) s.FrameWanted = true;
  s.Configured = true;
}

// ---- the outputs' descriptions ---------------------------------------------

Output& OutputOf(void* data) { return *static_cast<Output*>(data); }

void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  OutputOf(data).ModeWidth = width;
  OutputOf(data).ModeHeight = height;
}

void OutputScale(void* data, wl_output*, std::int32_t scale) { OutputOf(data).Scale = scale > 0 ? scale : 1; }

// The output's description is complete: it may have a surface, and a shown
// one takes a changed scale.
void OutputDone(void* data, wl_output*) {
  Output& output = OutputOf(data);
  output.Described = true;
  output.Closed = false;
  OutputSurface* surface = output.Surface.get();
  if (surface != nullptr && surface->Configured && surface->BufferScale != output.Scale)
    surface->ConfigurePending = true;
}

wl_output_listener OutputListener() {
  wl_output_listener listener{};
  listener.geometry = IgnoreEvent;
  listener.mode = OutputMode;
  listener.done = OutputDone;
  listener.scale = OutputScale;
  listener.name = IgnoreEvent;
  listener.description = IgnoreEvent;
  return listener;
}

const wl_output_listener kOutputListener = OutputListener();

}  // namespace

OutputSurface::~OutputSurface() {
  WaylandProgram& program = *Owner.Program;
  if (FrameCallback != nullptr) wl_callback_destroy(FrameCallback);
  program.Egl.DestroySurface(EglSurface);
  if (EglWindow != nullptr) wl_egl_window_destroy(EglWindow);
  if (Layer != nullptr) zwlr_layer_surface_v1_destroy(Layer);
  if (Toplevel != nullptr) xdg_toplevel_destroy(Toplevel);
  if (XdgSurface != nullptr) xdg_surface_destroy(XdgSurface);
  if (Surface != nullptr) wl_surface_destroy(Surface);
  program.Scenes.Forget(Scene);
}

Output::~Output() {
  Surface.reset();
  if (WlOutput == nullptr) return;
  if (Version >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(WlOutput);
  else wl_output_destroy(WlOutput);
}

void AddOutput(WaylandProgram& program, wl_registry* registry, std::uint32_t name, std::uint32_t version) {
  auto output = std::make_unique<Output>();
  output->Program = &program;
  output->RegistryName = name;
  output->Version = version < 4 ? version : 4;
  output->WlOutput = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, output->Version));
  wl_output_add_listener(output->WlOutput, &kOutputListener, output.get());
  program.Outputs.push_back(std::move(output));
}

void RemoveOutput(WaylandProgram& program, std::uint32_t name) {
  for (auto it = program.Outputs.begin(); it != program.Outputs.end(); ++it) {
    if ((*it)->RegistryName != name) continue;
    program.Outputs.erase(it);
    return;
  }
}

void UpdateSurfaces(WaylandProgram& program) {
  for (auto& output : program.Outputs) {
    const bool wanted = program.Shown && output->Described && !output->Closed;
    if (!wanted) output->Surface.reset();
    else if (output->Surface == nullptr) output->Surface = MakeSurface(*output);
    if (output->Surface != nullptr && output->Surface->ConfigurePending) TakeConfigure(program, *output->Surface);
    if (program.Ended) return;
  }
}
