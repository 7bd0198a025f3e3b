// ombrel: the scene as an XScreenSaver hack. One program, linked twice over
// x11/window_gl.h: `ombrel` draws through the GL 1.1 layer on OpenGL ES 3,
// through GLX's ES profile or on an EGL window surface; `ombrel-glx` with
// the system's OpenGL 1.1 through GLX.
//
//   ombrel [options]      (see x11/hack_options.h and ombrel.6)
//
// With --gl auto (the default) each path of the build is tried in turn on
// the window, and where none can serve it ombrel hands over to ombrel-glx, in
// the same process and with the same arguments; --gl names one path alone,
// and --gl glx hands over at once.
//
// Every frame does what the Windows scene window does for every message:
// reseed the random source from the calendar second, derive the scene's
// values from the settings, render, show. The scene is initialised from the
// reseed of its first frame, and with --clock frame i is seeded by the rule
// of sim/frame_seed.h, as ombrel-frames does, so that
// `ombrel --clock T --frames F` shows what `ombrel-frames --clock T --frames F`
// writes last.
//
// Exit statuses: HackUsageParts (x11/hack_options.cpp). Errors are one line on
// stderr.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "options/program_messages.h"
#include "options/render_scale.h"
#include "pacing/frame_rate.h"
#include "pacing/step_clock.h"
#include "posix/stop_signals.h"
#include "render/fps_text.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/frame_seed.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "x11/hack_options.h"
#include "x11/hack_window.h"
#include "x11/window_gl.h"

namespace {

constexpr const char* kProgram = "ombrel";

// A broken connection to the X server (the server ended, or the connection
// was cut) ends the program with one line instead of Xlib's report. Xlib
// must not be called again, so the program ends here.
int EndOnLostConnection(Display* display) {
  ReportError(kProgram, std::string("lost the connection to the X server '") + DisplayString(display) + "'");
  _exit(1);
}

// The first X error since the start. Xlib would print it and exit; the window
// that the program draws into may be destroyed at any moment, which is no
// fault, so errors are only recorded here and judged in the event loop.
bool XErrorSeen = false;
XErrorEvent FirstXError;

int RecordXError(Display*, XErrorEvent* event) {
  if (!XErrorSeen) FirstXError = *event;
  XErrorSeen = true;
  return 0;
}

std::string XErrorText(Display* display) {
  char text[256];
  XGetErrorText(display, FirstXError.error_code, text, sizeof text);
  char line[400];
  std::snprintf(line, sizeof line, "X error: %s (request %d.%d, resource 0x%lx)", text,
                FirstXError.request_code, FirstXError.minor_code, FirstXError.resourceid);
  return line;
}

enum class Ending { kRunning, kDone, kWindowGone, kXError };

// After an X error: the window's destruction ends the program quietly, any
// other error is reported.
Ending JudgeXError(const HackWindow& hack) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(hack.XDisplay, hack.XWindow, &attributes) ? Ending::kXError
                                                                      : Ending::kWindowGone;
}

// Follows the window's size as SetProjection does for a new size; the
// OpenGL's drawable follows it by itself, the render scale's framebuffer
// takes the scaled size.
void OnConfigure(HackWindow& hack, const XConfigureEvent& event) {
  if (event.width == hack.Width && event.height == hack.Height) return;
  hack.Width = event.width;
  hack.Height = event.height;
  hack.Scaled.Resize(hack.Width, hack.Height);
  SetProjection(hack.Scaled.Width(), hack.Scaled.Height());
}

// Keys of a window of the program's own: Escape and q end it.
Ending OnKeyPress(const HackWindow& hack, XKeyEvent& event) {
  const KeySym key = XLookupKeysym(&event, 0);
  return hack.OwnWindow && (key == XK_Escape || key == XK_q) ? Ending::kDone : Ending::kRunning;
}

// The window manager's close of a window of the program's own.
Ending OnClientMessage(const HackWindow& hack, const XClientMessageEvent& event) {
  const bool close = hack.OwnWindow && event.format == 32 &&
                     static_cast<Atom>(event.data.l[0]) == hack.DeleteWindowAtom;
  return close ? Ending::kDone : Ending::kRunning;
}

// Handles every event that has arrived.
Ending HandleEvents(HackWindow& hack) {
  while (XPending(hack.XDisplay) > 0) {
    XEvent event;
    XNextEvent(hack.XDisplay, &event);
    Ending ending = Ending::kRunning;
    switch (event.type) {
      case ConfigureNotify:
        if (event.xconfigure.window == hack.XWindow) OnConfigure(hack, event.xconfigure);
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == hack.XWindow) ending = Ending::kWindowGone;
        break;
      case KeyPress: ending = OnKeyPress(hack, event.xkey); break;
      case ClientMessage: ending = OnClientMessage(hack, event.xclient); break;
      default: break;
    }
    if (ending != Ending::kRunning) return ending;
  }
  return XErrorSeen ? JudgeXError(hack) : Ending::kRunning;
}

// Waits until `due`, handling events as they arrive. Sleeps in ppoll on the X
// connection, so it never blocks in Xlib while a frame is due.
Ending WaitUntil(HackWindow& hack, MonotonicClock::time_point due) {
  for (;;) {
    const Ending ending = HandleEvents(hack);
    if (ending != Ending::kRunning) return ending;
    XFlush(hack.XDisplay);
    const MonotonicClock::time_point now = MonotonicClock::now();
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
        due > now ? due - now : MonotonicClock::duration{});
    const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                           static_cast<long>(left.count() % 1'000'000'000)};
    pollfd connection{ConnectionNumber(hack.XDisplay), POLLIN, 0};
    ppoll(&connection, 1, &timeout, nullptr);
    if (MonotonicClock::now() >= due) return Ending::kRunning;
  }
}

// The render scale on the window (x11/scaled_framebuffer.h), said under
// --verbose: the size drawn at, or why the frames are not scaled.
void StartScale(HackWindow& hack, const WindowGl& gl, const HackOptions& options) {
  std::string why;
  const bool started = hack.Scaled.Start(gl.Loader(), options.Scale, why);
  hack.Scaled.Resize(hack.Width, hack.Height);
  if (!options.Verbose) return;
  if (!started) ReportError(kProgram, "--scale " + DecimalText(options.Scale) + ": " + why);
  else if (hack.Scaled.Scaling())
    ReportError(kProgram, "drawing " + std::to_string(hack.Scaled.Width()) + " x " +
                              std::to_string(hack.Scaled.Height()) + " pixels, scaled up to the window's " +
                              std::to_string(hack.Width) + " x " + std::to_string(hack.Height) +
                              " by glBlitFramebuffer");
}

// Draws frames until the program is to end, each when StepClock says.
// --frames counts steps, as ombrel-frames counts its frames; the last is
// drawn. `taken` and `drawn` count the steps and the frames shown.
Ending DrawFrames(HackWindow& hack, WindowGl& gl, const HackOptions& options, std::uint64_t& taken,
                  std::uint64_t& drawn) {
  SaverSettings = options.Settings;
  SeedFrame(options.Clock, 0);
  StartScene(hack.Scaled.Width(), hack.Scaled.Height());

  StepClock steps = DelayStepClock(std::chrono::microseconds(options.DelayMicroseconds));
  FrameRate fps;
  while (!options.Frames || taken < *options.Frames) {
    if (taken > 0) {
      const Ending ending = WaitUntil(hack, steps.NextFrameAt());
      if (ending != Ending::kRunning) return ending;
    }
    const FrameSteps due = steps.StepsDue(MonotonicClock::now());
    std::uint64_t count = static_cast<std::uint64_t>(due.Steps);
    bool draw = due.Draw;
    if (options.Frames && count >= *options.Frames - taken) {
      count = *options.Frames - taken;
      draw = true;
    }
    if (count == 0) continue;
    // Every step due, the last one drawn if the frame is.
    for (std::uint64_t step = 1; step < count; ++step) {
      SeedFrame(options.Clock, taken++);
      SimulateFrame();
    }
    SeedFrame(options.Clock, taken++);
    if (!draw) {
      SimulateFrame();
      continue;
    }
    RenderFrame();
    if (options.ShowFps) {
      DrawFpsText(fps.Text(), hack.Scaled.Width(), hack.Scaled.Height(), 1);
      SetProjection(hack.Scaled.Width(), hack.Scaled.Height());
    }
    hack.Scaled.Blit();
    gl.ShowFrame();
    ++drawn;
    fps.FrameDone(MonotonicClock::now());
  }
  // The last frame reaches the server before the program ends.
  gl.Finish();
  XSync(hack.XDisplay, False);
  return XErrorSeen ? JudgeXError(hack) : Ending::kDone;
}

// Runs the scene on the window; under --verbose says at its end how many
// steps it took and how many of them it drew.
Ending RunScene(HackWindow& hack, WindowGl& gl, const HackOptions& options) {
  StartScale(hack, gl, options);
  std::uint64_t taken = 0, drawn = 0;
  const Ending ending = DrawFrames(hack, gl, options, taken, drawn);
  if (options.Verbose && ending != Ending::kXError)
    ReportError(kProgram, "steps taken: " + std::to_string(taken) + ", frames drawn: " + std::to_string(drawn));
  return ending;
}

// Runs the other build of the program (ombrel-glx) from this program's
// folder in this process, with the same arguments, so that whoever started
// ombrel (XScreenSaver) still holds the process that draws. Returns only
// when that cannot start, with `error` set. The stop signals are held back
// meanwhile: one that arrives is taken by the other build once it can.
void HandOver(char** argv, std::string& error) {
  std::error_code ignored;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
  const std::string program = (self.parent_path() / kFallbackProgram).string();
  sigset_t stop, previous;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigprocmask(SIG_BLOCK, &stop, &previous);
  argv[0] = const_cast<char*>(program.c_str());
  execv(program.c_str(), argv);
  error = "cannot start " + program + ": " + std::strerror(errno);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

// The paths of this build that --gl allows, in the order they are tried.
std::vector<const GlPath*> PathsToTry(GlChoice choice) {
  std::vector<const GlPath*> paths;
  for (const GlPath& path : ProgramGlPaths())
    if (choice == GlChoice::kAuto || choice == path.Choice) paths.push_back(&path);
  return paths;
}

// Whether the other build may draw where this one's paths cannot.
bool CanHandOver(const HackOptions& options) {
  return kFallbackPath != nullptr && (options.Gl == GlChoice::kAuto || options.Gl == kFallbackPath->Choice);
}

// Tries `paths` in turn on the window of `choice` and draws the scene with
// the first that serves it. Returns how opening the window ended for the
// last path tried, with `error` set for a failure: for kNoGl, why the last
// path could not serve the window.
Opened DrawWithFirstPath(Display* display, const WindowChoice& choice, const std::vector<const GlPath*>& paths,
                         const HackOptions& options, std::string& error) {
  Opened opened = Opened::kNoGl;
  for (size_t i = 0; i < paths.size(); ++i) {
    // Errors that a path passed over left behind are not the next one's.
    XSync(display, False);
    XErrorSeen = false;
    error.clear();
    HackWindow hack;
    const std::unique_ptr<WindowGl> gl = paths[i]->Make();
    opened = OpenHackWindow(display, choice, *gl, hack, error);
    if (opened == Opened::kOpened) {
      if (options.Verbose) ReportError(kProgram, "drawing with " + gl->Description());
      const Ending ending = RunScene(hack, *gl, options);
      if (ending == Ending::kXError) error = XErrorText(display);
    }
    CloseHackWindow(*gl, hack);
    if (opened != Opened::kNoGl) break;
    const GlPath* next = i + 1 < paths.size() ? paths[i + 1] : CanHandOver(options) ? kFallbackPath : nullptr;
    if (next == nullptr) break;
    // Said once a path, where the user asked to hear how it draws.
    if (options.ShowFps || options.Verbose)
      ReportError(kProgram, error + "; drawing with " + next->Name + " instead");
  }
  return opened;
}

}  // namespace

int main(int argc, char** argv) {
  EndOnStopSignals();
  HackOptions options;
  std::string error;
  const CommandLine asked = ParseHackOptions(argc, argv, options, error);
  if (asked != CommandLine::kRun) return AnswerCommandLine(asked, kProgram, HackUsage(), error);
  const std::optional<WindowChoice> choice = ChooseWindow(options, std::getenv("XSCREENSAVER_WINDOW"), error);
  if (!choice) {
    ReportError(kProgram, error);
    return 1;
  }
  const std::vector<const GlPath*> paths = PathsToTry(options.Gl);
  if (paths.empty()) {
    if (CanHandOver(options)) HandOver(argv, error);
    else
      error = std::string("this build draws with ") + ProgramGlPaths().front().Name +
              " only; run ombrel for the others";
    ReportError(kProgram, error);
    return 1;
  }

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    const std::string name = XDisplayName(nullptr);
    ReportError(kProgram, name.empty() ? "no X display to draw on: DISPLAY is not set"
                                       : "cannot open display '" + name + "'");
    return 1;
  }
  XSetErrorHandler(RecordXError);
  XSetIOErrorHandler(EndOnLostConnection);

  const Opened opened = DrawWithFirstPath(display, *choice, paths, options, error);
  XCloseDisplay(display);
  if (opened == Opened::kNoGl && CanHandOver(options)) {
    const std::string why = error;
    HandOver(argv, error);
    error = why + "; " + error;
  }
  if (!error.empty()) ReportError(kProgram, error);
  return error.empty() ? 0 : 1;
}
