#include "wayland/drawing.h"

#include <wayland-client.h>

#include "render/fps_text.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/frame_seed.h"
#include "wayland/program.h"

namespace {

void FrameDone(void* data, wl_callback* callback, std::uint32_t) {
  auto& surface = *static_cast<OutputSurface*>(data);
  wl_callback_destroy(callback);
  surface.FrameCallback = nullptr;
  surface.FrameWanted = true;
}

wl_callback_listener FrameListener() {
  wl_callback_listener listener{};
  listener.done = FrameDone;
  return listener;
}

const wl_callback_listener kFrameListener = FrameListener();

void RequestFrame(OutputSurface& surface) {
  surface.FrameCallback = wl_surface_frame(surface.Surface);
  wl_callback_add_listener(surface.FrameCallback, &kFrameListener, &surface);
}

// One frame of the surface's scene; its first frame starts the scene.
void DrawFrame(WaylandProgram& program, OutputSurface& surface) {
  if (!program.Egl.MakeCurrent(surface.EglSurface)) {
    Fail(program, "EGL cannot draw into the surface of an output");
    return;
  }
  const int width = surface.Width * surface.BufferScale, height = surface.Height * surface.BufferScale;
  const bool first = !surface.Scene;
  program.Scenes.Activate(surface.Scene);
  // As ombrel-frames: the scene is made from its first frame's reseed, and
  // every frame draws from a reseed of its own.
  if (first) {
    SeedFrame(program.Options.Clock, surface.Drawn);
    StartScene(width, height);
  }
  SetProjection(width, height);
  SeedFrame(program.Options.Clock, surface.Drawn);
  RenderFrame();
  if (program.Options.ShowFps) DrawFpsText(surface.Fps.Text(), width, height, surface.BufferScale);
  RequestFrame(surface);
  if (!program.Egl.Swap(surface.EglSurface)) {
    Fail(program, "EGL cannot show a frame on an output");
    return;
  }
  ++surface.Drawn;
  surface.Fps.FrameDone(MonotonicClock::now());
}

bool AllFramesDrawn(const WaylandProgram& program) {
  if (!program.Options.Frames) return false;
  bool any = false;
  for (const auto& output : program.Outputs) {
    if (output->Surface == nullptr) continue;
    if (output->Surface->Drawn < *program.Options.Frames) return false;
    any = true;
  }
  return any;
}

}  // namespace

void DrawDueFrames(WaylandProgram& program) {
  for (auto& output : program.Outputs) {
    if (program.Ended) return;
    OutputSurface* surface = output->Surface.get();
    if (surface == nullptr || !surface->Configured || !surface->FrameWanted) continue;
    if (program.Options.Frames && surface->Drawn >= *program.Options.Frames) continue;
    surface->FrameWanted = false;
    // The first frame after the surface appeared starts the step grid.
    if (surface->Steps.StepDue(MonotonicClock::now())) {
      DrawFrame(program, *surface);
    } else {
      RequestFrame(*surface);
      wl_surface_commit(surface->Surface);
    }
  }
  if (AllFramesDrawn(program)) program.Ended = true;
}
