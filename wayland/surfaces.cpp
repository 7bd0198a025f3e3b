// The surfaces' roles: a layer surface (the saver's overlay or the
// wallpaper's background) or, without a layer shell, a full-screen toplevel;
// their configure events recorded, and taken by the loop.
#include <wayland-client.h>
#include <wayland-egl.h>

#include <string>

#include "options/render_scale.h"
#include "wayland/ignore_event.h"
#include "wayland/layer_shell.h"
#include "viewporter-client-protocol.h"
#include "wayland/program.h"
#include "xdg-shell-client-protocol.h"

namespace {

OutputSurface& SurfaceOf(void* data) { return *static_cast<OutputSurface*>(data); }

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                    std::uint32_t height) {
  OutputSurface& surface = SurfaceOf(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  if (width == 0 || height == 0) {
    Fail(*surface.Owner.Program, "the compositor gave the scene's layer surface no size");
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

}  // namespace

// A layer surface anchored to every edge, ignoring other surfaces' exclusive
// zones: the saver's overlay, above every window, or the wallpaper, below
// them all and without the keyboard. Where there is no layer shell, a
// full-screen toplevel. Its first commit asks for the compositor's configure.
std::unique_ptr<OutputSurface> MakeSurface(Output& output, bool keyboard) {
  const WaylandProgram& program = *output.Program;
  const StepClock steps = DelayStepClock(std::chrono::microseconds(program.Options.DelayMicroseconds));
  auto made = std::make_unique<OutputSurface>(output, steps);
  OutputSurface& s = *made;
  s.Surface = wl_compositor_create_surface(program.Compositor);
  // The blank buffer and the render scale are stretched over the surface.
  if ((Guarded(program) || Scaled(program)) && program.Viewporter != nullptr)
    s.Viewport = wp_viewporter_get_viewport(program.Viewporter, s.Surface);
  if (program.LayerShell != nullptr) {
    const bool wallpaper = program.Options.Background;
    s.Layer = zwlr_layer_shell_v1_get_layer_surface(
        program.LayerShell, s.Surface, output.WlOutput,
        wallpaper ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        wallpaper ? "wallpaper" : "ombrel");
    zwlr_layer_surface_v1_add_listener(s.Layer, &kLayerListener, &s);
    zwlr_layer_surface_v1_set_anchor(s.Layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(s.Layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(s.Layer, -1);
    s.TakesKeyboard = keyboard;
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        s.Layer, keyboard ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                          : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
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

void AskForKeyboard(OutputSurface& s) {
  zwlr_layer_surface_v1_set_keyboard_interactivity(s.Layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  wl_surface_commit(s.Surface);
  s.TakesKeyboard = true;
}

// The EGL window is made at the first configure and resized at later ones,
// and the first frame is due. A new scale starts a new scene at the new size.
// At the render scale the buffer is that share of the output's pixels, and
// the viewport's destination, the surface's size, has the compositor scale
// it up; both take effect with the next frame's commit.
void TakeConfigure(WaylandProgram& program, OutputSurface& s) {
  const bool rescaled = s.Configured && s.BufferScale != s.Owner.Scale;
  s.ConfigurePending = false;
  s.Width = s.AskedWidth;
  s.Height = s.AskedHeight;
  s.BufferScale = s.Owner.Scale;
  const double scale = Scaled(program) ? program.Options.Scale : 1.0;
  s.PixelWidth = ScaledPixels(s.Width * s.BufferScale, scale);
  s.PixelHeight = ScaledPixels(s.Height * s.BufferScale, scale);
  if (Scaled(program)) {
    wl_surface_set_buffer_scale(s.Surface, 1);
    wp_viewport_set_destination(s.Viewport, s.Width, s.Height);
  } else {
    wl_surface_set_buffer_scale(s.Surface, s.BufferScale);
  }
  if (s.EglWindow == nullptr) {
    s.EglWindow = wl_egl_window_create(s.Surface, s.PixelWidth, s.PixelHeight);
    std::string error;
    s.EglSurface = s.EglWindow ? program.Egl.CreateSurface(s.EglWindow, error) : nullptr;
    if (s.EglSurface == nullptr) {
      Fail(program, error.empty() ? "cannot make a window for EGL" : error);
      return;
    }
  } else {
    wl_egl_window_resize(s.EglWindow, s.PixelWidth, s.PixelHeight, 0, 0);
  }
  if (rescaled) {
    program.Scenes.Forget(s.Scene);
    s.Scene.reset();
  }
  if (!s.Configured) s.FrameWanted = true;
  s.Configured = true;
}

// The blank pixel at scale 1 (a buffer's size must be a multiple of its
// scale); the frames' buffer scale is asked for again at once, for the first
// frame's commit.
void ShowBlank(WaylandProgram& program, OutputSurface& s) {
  wl_surface_attach(s.Surface, program.Blank, 0, 0);
  wl_surface_set_buffer_scale(s.Surface, 1);
  if (s.Viewport != nullptr) wp_viewport_set_destination(s.Viewport, s.Width, s.Height);
  wl_surface_commit(s.Surface);
  wl_surface_set_buffer_scale(s.Surface, Scaled(program) ? 1 : s.BufferScale);
  s.BlankShown = true;
}

// Frames at the render scale keep the viewport's destination, which scales
// them up; others are shown at their own size.
void LeaveBlank(OutputSurface& s) {
  if (s.Viewport != nullptr && !Scaled(*s.Owner.Program)) wp_viewport_set_destination(s.Viewport, -1, -1);
  s.BlankShown = false;
}

OutputSurface::~OutputSurface() {
  WaylandProgram& program = *Owner.Program;
  if (FrameCallback != nullptr) wl_callback_destroy(FrameCallback);
  program.Egl.DestroySurface(EglSurface);
  if (EglWindow != nullptr) wl_egl_window_destroy(EglWindow);
  if (Viewport != nullptr) wp_viewport_destroy(Viewport);
  if (Layer != nullptr) zwlr_layer_surface_v1_destroy(Layer);
  if (Toplevel != nullptr) xdg_toplevel_destroy(Toplevel);
  if (XdgSurface != nullptr) xdg_surface_destroy(XdgSurface);
  if (Surface != nullptr) wl_surface_destroy(Surface);
  program.Scenes.Forget(Scene);
}
