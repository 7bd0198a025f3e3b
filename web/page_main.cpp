// The page's program: the scene drawn by render/ through the GL 1.1 layer
// into a WebGL 2 context on the page's canvas: at each animation callback,
// the steps that StepClock says are due, the last drawn where the frame is
// (a wallpaper host may limit the frame rate).
//
// It does what the X11 program does for every step: reseed the random
// source from the calendar second, derive the scene's values from the
// settings, step (and draw). The scene is initialised from the reseed of its
// first frame, and with clock=T step i is seeded by the rule of
// sim/frame_seed.h, so that `?clock=T&frames=F` shows what
// `ombrel-frames --clock T --frames F` writes last (the page takes step i at
// about i / 60 s whatever its frame rate, so this is also the second it is
// shown in, while the page keeps up).
//
// Paused (by the visitor, or at frames=F), the page keeps its picture, and
// redraws it without a step when it no longer shows the scene: after a
// resize or a change of settings. Paused by a wallpaper host (covered by
// another window), it draws nothing at all.
//
// The page's script (index.html) calls the exported functions below: the
// parameters first (stored settings, then the address's), then OmbrelStart;
// later the settings panel's changes. Everything runs on the page's one
// thread; nothing here blocks or waits.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

#include "options/setting_table.h"
#include "pacing/frame_rate.h"
#include "pacing/step_clock.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/frame_seed.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "web/gl_context.h"
#include "web/page_options.h"

namespace {

constexpr const char* kCanvas = "#canvas";

// The page's one state record.
struct PageState {
  PageOptions Options;
  bool Started = false;    // the scene exists
  bool Looping = false;    // an animation-callback loop is running
  bool Finished = false;   // frames=F reached: no more steps, ever
  bool Paused = false;     // the visitor stopped the motion: no steps
  bool HostPaused = false;   // a wallpaper host covered the page: no frames at all
  bool NeedsPicture = false;  // the canvas's picture no longer shows the scene (size, settings, context)
  bool ContextLost = false;  // the browser took the WebGL context away
  int Width = 0, Height = 0;  // the drawing buffer's size
  std::uint64_t Stepped = 0;  // steps taken: the canvas shows ombrel-frames' frame Stepped
  std::uint64_t Drawn = 0;    // pictures drawn, still ones included
  StepClock Steps{kStepPeriod};
  FrameRate Rate;
  std::string LastError;
  std::string LastSettings;  // OmbrelSettings's answer, alive until its next call
};

PageState Page;

// The drawing buffer's size for the canvas's size on the page: its CSS size
// times the device's pixel ratio (at most kMostDevicePixelRatio) times the
// render scale. The browser scales the picture up to the canvas.
void CanvasBufferSize(int& width, int& height) {
  double cssWidth = 0, cssHeight = 0;
  emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
  const double ratio = std::min(emscripten_get_device_pixel_ratio(), kMostDevicePixelRatio) * Page.Options.Scale;
  width = static_cast<int>(std::lround(cssWidth * ratio));
  height = static_cast<int>(std::lround(cssHeight * ratio));
  if (width < 1) width = 1;
  if (height < 1) height = 1;
}

// The page's projection: the desktop's 45-degree one wherever the canvas is
// at least as wide as high, a wider field in portrait so that the container
// stays whole on a phone.
void SetPageProjection() {
  SetProjectionWithField(Page.Width, Page.Height, WholeSceneFieldOfView(Page.Width, Page.Height));
}

// Follows the canvas's size, the pixel ratio (a resize, a zoom, another
// screen) and the render scale, giving the drawing buffer the new size and
// the scene the page's projection for it.
void FollowCanvasSize() {
  int width = 0, height = 0;
  CanvasBufferSize(width, height);
  if (width == Page.Width && height == Page.Height) return;
  Page.Width = width;
  Page.Height = height;
  emscripten_set_canvas_element_size(kCanvas, width, height);
  SetPageProjection();
}

EM_JS(void, ShowFrameRate, (const char* text), {
  document.getElementById('fps').textContent = UTF8ToString(text);
});

bool PageHidden() {
  EmscriptenVisibilityChangeEvent status;
  return emscripten_get_visibility_status(&status) == EMSCRIPTEN_RESULT_SUCCESS && status.hidden;
}

// Whether the scene stands still: paused by the visitor, or at its last
// step. Its very first step is taken all the same, so that a page that
// starts paused shows the scene's first frame.
bool Still() {
  if (Page.Options.Frames && Page.Stepped >= *Page.Options.Frames) Page.Finished = true;
  return Page.Finished || (Page.Paused && Page.Stepped > 0);
}

// The scene as it stands, drawn again at the canvas's size and with the
// settings in force: a still picture that tells the truth.
void DrawStillFrame() {
  FollowCanvasSize();
  DeriveSceneParameters();
  RenderStillFrame();
  ++Page.Drawn;
  Page.NeedsPicture = false;
}

// Takes the steps due at `now`, the last one drawn if the frame is (the
// last step of frames=F always is).
void TakeSteps(MonotonicClock::time_point now) {
  const FrameSteps due = Page.Steps.StepsDue(now);
  std::uint64_t steps = static_cast<std::uint64_t>(due.Steps);
  bool draw = due.Draw;
  if (Page.Options.Frames && steps >= *Page.Options.Frames - Page.Stepped) {
    steps = *Page.Options.Frames - Page.Stepped;
    draw = true;
  }
  if (steps == 0) return;
  for (std::uint64_t step = draw ? 1 : 0; step < steps; ++step) {
    SeedFrame(Page.Options.Clock, Page.Stepped);
    SimulateFrame();
    ++Page.Stepped;
  }
  if (!draw) return;
  FollowCanvasSize();
  SeedFrame(Page.Options.Clock, Page.Stepped);
  RenderFrame();
  ++Page.Stepped;
  ++Page.Drawn;
  Page.NeedsPicture = false;
  if (Page.Options.ShowFps && Page.Rate.FrameDone(now)) ShowFrameRate(Page.Rate.Text());
}

EM_BOOL OnAnimationFrame(double timestampMs, void*) {
  if (PageHidden() || Page.ContextLost || Page.HostPaused) {
    Page.Looping = false;
    return EM_FALSE;
  }
  if (Still()) {
    if (Page.NeedsPicture) DrawStillFrame();
    Page.Looping = false;
    return EM_FALSE;
  }
  TakeSteps(AtMilliseconds(timestampMs));
  return EM_TRUE;
}

// Starts the animation callbacks where there is something to draw: steps,
// or a still picture that no longer shows the scene. A new loop starts a new
// step grid, so the time it did not run is not caught up.
void StartLoop() {
  if (!Page.Started || Page.Looping || Page.ContextLost || Page.HostPaused || PageHidden()) return;
  if (Still() && !Page.NeedsPicture) return;
  Page.Looping = true;
  Page.Steps.Restart();
  Page.Rate.Restart();
  emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
}

// The picture no longer shows the scene (its size or settings changed):
// a running scene's next frame follows, a still one draws it again.
void PictureChanged() {
  Page.NeedsPicture = true;
  StartLoop();
}

// Hidden pages draw nothing; shown again, the scene goes on from where it
// was, without steps for the time it was hidden.
EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  if (!event->hidden) StartLoop();
  return EM_FALSE;
}

// A resize, a rotation or a zoom: a still picture is drawn again at the new
// size (a running scene follows the size at its next frame anyway).
EM_BOOL OnResize(int, const EmscriptenUiEvent*, void*) {
  int width = 0, height = 0;
  CanvasBufferSize(width, height);
  if (width != Page.Width || height != Page.Height) PictureChanged();
  return EM_FALSE;
}

}  // namespace

extern "C" {

// Applies one parameter (see web/page_options.h); while the scene runs,
// settings act from its next frame on, and a still scene is drawn again with
// them. Returns "" when applied as given, else why not, or how it was
// bounded.
EMSCRIPTEN_KEEPALIVE const char* OmbrelApply(const char* name, const char* value) {
  Page.LastError.clear();
  const PageParameterStatus status = ApplyPageParameter(name, value, Page.Options, Page.LastError);
  const bool applied = status == PageParameterStatus::kApplied || status == PageParameterStatus::kBounded;
  if (applied && Page.Started) {
    SaverSettings = Page.Options.Settings;
    PictureChanged();
  }
  return Page.LastError.c_str();
}

// The render scale in force.
EMSCRIPTEN_KEEPALIVE double OmbrelScale() { return Page.Options.Scale; }

// The five settings in force, as parameters ("container=cube&decay=1&...").
EMSCRIPTEN_KEEPALIVE const char* OmbrelSettings() {
  Page.LastSettings = SettingsQuery(Page.Options.Settings);
  return Page.LastSettings.c_str();
}

// The settings' table as JSON (see options/setting_table.h): the panel's
// controls, their choices, sliders and defaults.
EMSCRIPTEN_KEEPALIVE const char* OmbrelSettingTable() {
  static const std::string json = SettingsJson();
  return json.c_str();
}

// The position at which the setting's slider shows `value`, as the Windows
// dialog shows it; 0 for a setting without a slider.
EMSCRIPTEN_KEEPALIVE int OmbrelSliderPosition(const char* name, double value) {
  const SettingDescription* setting = FindSetting(name);
  return setting != nullptr && setting->Slider ? setting->Slider->PositionOf(value) : 0;
}

// The value that the setting's slider stores at `position`, as the Windows
// dialog stores it; 0 for a setting without a slider.
EMSCRIPTEN_KEEPALIVE double OmbrelSliderValue(const char* name, int position) {
  const SettingDescription* setting = FindSetting(name);
  return setting != nullptr && setting->Slider ? setting->Slider->ValueAt(position) : 0;
}

// Whether the page asked for the frame rate to be shown.
EMSCRIPTEN_KEEPALIVE int OmbrelShowsFps() { return Page.Options.ShowFps ? 1 : 0; }

// Whether the page asked to keep the screen on (awake=1).
EMSCRIPTEN_KEEPALIVE int OmbrelKeepsAwake() { return Page.Options.KeepAwake ? 1 : 0; }

// Draws at most `fps` frames a second, as a wallpaper host may ask; 0, or 60
// and more, is the usual pace. The scene keeps its speed: the steps between
// frames are taken without drawing. A page without pacing (bench=1) stays
// unpaced.
EMSCRIPTEN_KEEPALIVE void OmbrelLimitFrameRate(double fps) {
  if (!Page.Options.Unpaced) Page.Steps.LimitFrameRate(fps);
}

// Pictures drawn so far, still ones included.
EMSCRIPTEN_KEEPALIVE double OmbrelFramesDrawn() { return static_cast<double>(Page.Drawn); }

// Steps taken so far: the canvas shows ombrel-frames' frame of this number.
EMSCRIPTEN_KEEPALIVE double OmbrelStepsTaken() { return static_cast<double>(Page.Stepped); }

// Makes the WebGL 2 context and the scene and starts drawing. Returns "" or
// what went wrong (no WebGL 2), for the page to show.
EMSCRIPTEN_KEEPALIVE const char* OmbrelStart() {
  if (Page.Started) return "";
  Page.LastError.clear();
  if (!CreatePageGlContext(kCanvas, Page.LastError)) return Page.LastError.c_str();
  if (Page.Options.Unpaced) Page.Steps = StepClock(MonotonicClock::duration::zero());
  SaverSettings = Page.Options.Settings;
  CanvasBufferSize(Page.Width, Page.Height);
  emscripten_set_canvas_element_size(kCanvas, Page.Width, Page.Height);
  SeedFrame(Page.Options.Clock, Page.Stepped);
  StartScene(Page.Width, Page.Height);
  SetPageProjection();
  Page.Started = true;
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibilityChange);
  emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnResize);
  StartLoop();
  return "";
}

// Stops and starts the motion. Paused, the page takes no steps; the canvas
// keeps its picture, drawn again when it no longer shows the scene.
// Resumed, the steps go on from the scene as it stood. Returns whether it is
// paused.
EMSCRIPTEN_KEEPALIVE int OmbrelSetPaused(int paused) {
  Page.Paused = paused != 0;
  if (!Page.Paused) StartLoop();
  return Page.Paused ? 1 : 0;
}

// A wallpaper host's pause (its wallpaper covered by a full-screen program or
// a maximised window): no frames at all, the last picture kept. Resumed, the
// scene goes on from where it stood, its steps on a new grid.
EMSCRIPTEN_KEEPALIVE void OmbrelSetHostPaused(int paused) {
  Page.HostPaused = paused != 0;
  if (!Page.HostPaused) StartLoop();
}

// The browser took the WebGL context away (the page's script has asked for
// it back): no drawing until OmbrelContextRestored.
EMSCRIPTEN_KEEPALIVE void OmbrelContextLost() { Page.ContextLost = true; }

// The context is back, empty: the GL 1.1 layer's objects and the scene's
// texture and state are made again, and the scene goes on where it was (it
// lives in memory, not on the GPU). Returns "" or what went wrong.
EMSCRIPTEN_KEEPALIVE const char* OmbrelContextRestored() {
  Page.LastError.clear();
  if (!Page.Started || !Page.ContextLost) return "";
  if (!RestorePageGlContext(Page.LastError)) return Page.LastError.c_str();
  Page.ContextLost = false;
  RestoreSceneGL(Page.Width, Page.Height);
  SetPageProjection();
  PictureChanged();
  return "";
}

}  // extern "C"
