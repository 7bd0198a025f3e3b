// The page's program: the scene drawn by render/ through the GL 1.1 layer
// into a WebGL 2 context on the page's canvas, one frame per animation
// callback that StepClock lets through.
//
// It does what the X11 program does for every frame: reseed the random
// source from the calendar second, derive the scene's values from the
// settings, render. The scene is initialised from the reseed of its first
// frame, and with clock=T frame i is seeded by the rule of sim/frame_seed.h,
// so that `?clock=T&frames=F` shows what `ombrel-frames --clock T --frames F`
// writes last (the paced page shows frame i at about i / 60 s, so this is
// also the second it is shown in, while the page keeps up).
//
// The page's script (index.html) calls the exported functions below: the
// parameters first (stored settings, then the address's), then OmbrelStart;
// later the settings panel's changes. Everything runs on the page's one
// thread; nothing here blocks or waits.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <chrono>
#include <cmath>
#include <string>

#include "options/setting_table.h"
#include "pacing/frame_rate.h"
#include "pacing/step_clock.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/frame_seed.h"
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
  bool Finished = false;   // frames=F reached: no more frames, ever
  bool Paused = false;     // the visitor stopped the motion: no steps
  bool NeedsPicture = true;  // nothing drawn on the canvas yet since the start or a restored context
  bool ContextLost = false;  // the browser took the WebGL context away
  int Width = 0, Height = 0;  // the drawing buffer's size
  unsigned long long Drawn = 0;
  StepClock Steps{kStepPeriod};
  FrameRate Rate;
  std::string LastError;
  std::string LastSettings;  // OmbrelSettings's answer, alive until its next call
};

PageState Page;

// The canvas's size on the page in device pixels: its CSS size times the
// device's pixel ratio.
void CanvasDevicePixels(int& width, int& height) {
  double cssWidth = 0, cssHeight = 0;
  emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
  const double ratio = emscripten_get_device_pixel_ratio();
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

// Follows the canvas's size and the pixel ratio (a resize, a zoom, another
// screen), giving the drawing buffer the new size and the scene the page's
// projection for it.
void FollowCanvasSize() {
  int width = 0, height = 0;
  CanvasDevicePixels(width, height);
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

EM_BOOL OnAnimationFrame(double timestampMs, void*) {
  if (Page.Options.Frames && Page.Drawn >= *Page.Options.Frames) Page.Finished = true;
  // Paused, the canvas keeps the last picture; only a canvas left without
  // one (at the start, after a restored context) gets one frame.
  const bool paused = Page.Paused && !Page.NeedsPicture;
  if (Page.Finished || PageHidden() || Page.ContextLost || paused) {
    Page.Looping = false;
    return EM_FALSE;
  }
  const MonotonicClock::time_point now = AtMilliseconds(timestampMs);
  if (!Page.Steps.StepDue(now)) return EM_TRUE;
  FollowCanvasSize();
  SeedFrame(Page.Options.Clock, Page.Drawn);
  RenderFrame();
  ++Page.Drawn;
  Page.NeedsPicture = false;
  if (Page.Options.ShowFps && Page.Rate.FrameDone(now)) ShowFrameRate(Page.Rate.Text());
  return EM_TRUE;
}

void StartLoop() {
  if (Page.Looping || Page.Finished || Page.ContextLost) return;
  if (PageHidden() || (Page.Paused && !Page.NeedsPicture)) return;
  Page.Looping = true;
  Page.Steps.Restart();
  Page.Rate.Restart();
  emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
}

// Hidden pages draw nothing; shown again, the scene goes on from where it
// was, without steps for the time it was hidden.
EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  if (!event->hidden) StartLoop();
  return EM_FALSE;
}

}  // namespace

extern "C" {

// Applies one parameter (see web/page_options.h); while the scene runs,
// settings act from its next frame on. Returns "" when applied, else why not.
EMSCRIPTEN_KEEPALIVE const char* OmbrelApply(const char* name, const char* value) {
  Page.LastError.clear();
  const PageParameterStatus status = ApplyPageParameter(name, value, Page.Options, Page.LastError);
  if (status == PageParameterStatus::kApplied && Page.Started) SaverSettings = Page.Options.Settings;
  return Page.LastError.c_str();
}

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
// and more, is the usual pace. The scene moves one step a frame, so a lower
// rate slows its motion too. A page without pacing (bench=1) stays unpaced.
EMSCRIPTEN_KEEPALIVE void OmbrelLimitFrameRate(double fps) {
  if (Page.Options.Unpaced) return;
  if (!(fps > 0) || fps >= kStepsPerSecond) {
    Page.Steps = StepClock(kStepPeriod);
    return;
  }
  Page.Steps = StepClock(std::chrono::duration_cast<MonotonicClock::duration>(std::chrono::duration<double>(1 / fps)));
}

// Frames drawn so far.
EMSCRIPTEN_KEEPALIVE double OmbrelFramesDrawn() { return static_cast<double>(Page.Drawn); }

// Makes the WebGL 2 context and the scene and starts drawing. Returns "" or
// what went wrong (no WebGL 2), for the page to show.
EMSCRIPTEN_KEEPALIVE const char* OmbrelStart() {
  if (Page.Started) return "";
  Page.LastError.clear();
  if (!CreatePageGlContext(kCanvas, Page.LastError)) return Page.LastError.c_str();
  if (Page.Options.Unpaced) Page.Steps = StepClock(MonotonicClock::duration::zero());
  SaverSettings = Page.Options.Settings;
  CanvasDevicePixels(Page.Width, Page.Height);
  emscripten_set_canvas_element_size(kCanvas, Page.Width, Page.Height);
  SeedFrame(Page.Options.Clock, Page.Drawn);
  StartScene(Page.Width, Page.Height);
  SetPageProjection();
  Page.Started = true;
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibilityChange);
  StartLoop();
  return "";
}

// Stops and starts the motion. Paused, the page draws no frames and takes
// no steps; the canvas keeps its picture. Returns whether it is paused.
EMSCRIPTEN_KEEPALIVE int OmbrelSetPaused(int paused) {
  Page.Paused = paused != 0;
  if (!Page.Paused && Page.Started) StartLoop();
  return Page.Paused ? 1 : 0;
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
  Page.NeedsPicture = true;
  StartLoop();
  return "";
}

}  // extern "C"
