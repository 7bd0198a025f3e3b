#include "wayland/drawing.h"

#include <wayland-client.h>

#include "options/render_scale.h"
#include "render/fps_text.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/frame_seed.h"
#include "sim/scene_data.h"
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

// Takes `steps` steps of the surface's scene (made by its first frame)
// without drawing.
void TakeSteps(WaylandProgram& program, OutputSurface& surface, std::uint64_t steps) {
  if (steps == 0 || !surface.Scene) return;
  program.Scenes.Activate(surface.Scene);
  for (std::uint64_t step = 0; step < steps; ++step) {
    SeedFrame(program.Options.Clock, surface.Drawn);
    SimulateFrame();
    ++surface.Drawn;
  }
}

// One frame of the surface's scene after `steps` steps (at least one), of
// which the last is drawn; its first frame starts the scene.
void DrawFrame(WaylandProgram& program, OutputSurface& surface, std::uint64_t steps) {
  if (!program.Egl.MakeCurrent(surface.EglSurface)) {
    Fail(program, "EGL cannot draw into the surface of an output");
    return;
  }
  const int width = surface.PixelWidth, height = surface.PixelHeight;
  const bool first = !surface.Scene;
  program.Scenes.Activate(surface.Scene);
  // As ombrel-frames: the scene is made from its first frame's reseed, and
  // every frame draws from a reseed of its own.
  if (first) {
    SeedFrame(program.Options.Clock, surface.Drawn);
    StartScene(width, height);
  }
  TakeSteps(program, surface, steps > 1 ? steps - 1 : 0);
  SetProjection(width, height);
  SeedFrame(program.Options.Clock, surface.Drawn);
  RenderFrame();
  // The frame rate's figures at the output's scale times the render scale,
  // at least 1: as large on the output as unscaled wherever that is whole.
  if (program.Options.ShowFps)
    DrawFpsText(surface.Fps.Text(), width, height,
                ScaledPixels(surface.BufferScale, Scaled(program) ? program.Options.Scale : 1.0));
  RequestFrame(surface);
  if (!program.Egl.Swap(surface.EglSurface)) {
    Fail(program, "EGL cannot show a frame on an output");
    return;
  }
  ++surface.Drawn;
  ++surface.Shown;
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
    // The first frame after the surface appeared starts the step grid. Steps
    // between the frames that --delay allows are taken without drawing.
    const FrameSteps due = surface->Steps.StepsDue(MonotonicClock::now());
    std::uint64_t steps = static_cast<std::uint64_t>(due.Steps);
    const bool last = program.Options.Frames && steps >= *program.Options.Frames - surface->Drawn;
    if (last) steps = *program.Options.Frames - surface->Drawn;
    if (due.Draw || last) {
      DrawFrame(program, *surface, steps);
    } else {
      TakeSteps(program, *surface, steps);
      RequestFrame(*surface);
      wl_surface_commit(surface->Surface);
    }
  }
  if (AllFramesDrawn(program)) program.Ended = true;
}
