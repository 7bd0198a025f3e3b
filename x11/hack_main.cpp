// ombrel: the scene as an XScreenSaver hack, drawn with GLX.
//
//   ombrel [options]      (see x11/hack_options.h and ombrel.6)
//
// Every frame does what the Windows scene window does for every message:
// reseed the random source from the calendar second, derive the scene's
// values from the settings, render, show. The scene is initialised from the
// reseed of its first second, as ombrel-frames does, so that
// `ombrel --clock T --frames 1` shows what `ombrel-frames --clock T --frames 1`
// writes.
//
// Exit codes: 0 when it ends by a signal (SIGTERM, SIGINT), by Escape, q or
// the close of its own window, after --frames, or because the window it draws
// into was destroyed; 2 for bad arguments; 1 when it cannot draw (no display,
// no such window, no OpenGL) or the X server reports an error about a window
// that still exists. Errors are one line on stderr.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "sim/random_source.h"
#include "sim/scene_parameters.h"
#include "tools/scenario.h"
#include "x11/fps_overlay.h"
#include "x11/frame_pacer.h"
#include "x11/hack_options.h"
#include "x11/hack_window.h"

namespace {

constexpr const char* kProgram = "ombrel";

volatile std::sig_atomic_t StopRequested = 0;

void OnStopSignal(int) { StopRequested = 1; }

// SIGTERM and SIGINT set StopRequested. They stay blocked except while the
// program waits for the next frame (ppoll with the returned mask), so that a
// wait always ends at once on a signal and nothing else is interrupted. The
// handler is installed without SA_RESTART.
sigset_t CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigset_t stop, waiting;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigprocmask(SIG_BLOCK, &stop, &waiting);  // before OpenGL starts threads, which inherit it
  sigdelset(&waiting, SIGTERM);
  sigdelset(&waiting, SIGINT);
  return waiting;
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
  return XGetWindowAttributes(hack.display, hack.window, &attributes) ? Ending::kXError
                                                                      : Ending::kWindowGone;
}

// Follows the window's size as SetProjection does for a new size.
void OnConfigure(HackWindow& hack, const XConfigureEvent& event) {
  if (event.width == hack.width && event.height == hack.height) return;
  hack.width = event.width;
  hack.height = event.height;
  SetProjection(hack.width, hack.height);
}

// Keys of a window of the program's own: Escape and q end it.
Ending OnKeyPress(const HackWindow& hack, XKeyEvent& event) {
  const KeySym key = XLookupKeysym(&event, 0);
  return hack.own && (key == XK_Escape || key == XK_q) ? Ending::kDone : Ending::kRunning;
}

// The window manager's close of a window of the program's own.
Ending OnClientMessage(const HackWindow& hack, const XClientMessageEvent& event) {
  const bool close = hack.own && event.format == 32 &&
                     static_cast<Atom>(event.data.l[0]) == hack.deleteWindow;
  return close ? Ending::kDone : Ending::kRunning;
}

// Handles every event that has arrived.
Ending HandleEvents(HackWindow& hack) {
  while (XPending(hack.display) > 0) {
    XEvent event;
    XNextEvent(hack.display, &event);
    Ending ending = Ending::kRunning;
    switch (event.type) {
      case ConfigureNotify:
        if (event.xconfigure.window == hack.window) OnConfigure(hack, event.xconfigure);
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == hack.window) ending = Ending::kWindowGone;
        break;
      case KeyPress: ending = OnKeyPress(hack, event.xkey); break;
      case ClientMessage: ending = OnClientMessage(hack, event.xclient); break;
      default: break;
    }
    if (ending != Ending::kRunning) return ending;
  }
  return XErrorSeen ? JudgeXError(hack) : Ending::kRunning;
}

// Waits until `due`, handling events as they arrive, and ends the wait at
// once on SIGTERM or SIGINT. Sleeps in ppoll on the X connection, so it never
// blocks in Xlib while a frame is due.
Ending WaitUntil(HackWindow& hack, Clock::time_point due, const sigset_t& waiting) {
  for (;;) {
    const Ending ending = HandleEvents(hack);
    if (ending != Ending::kRunning) return ending;
    XFlush(hack.display);
    const Clock::time_point now = Clock::now();
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(due > now ? due - now
                                                                                     : Clock::duration{});
    const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                           static_cast<long>(left.count() % 1'000'000'000)};
    pollfd connection{ConnectionNumber(hack.display), POLLIN, 0};
    ppoll(&connection, 1, &timeout, &waiting);
    if (StopRequested) return Ending::kDone;
    if (Clock::now() >= due) return Ending::kRunning;
  }
}

// Draws frames until the program is to end.
Ending RunScene(HackWindow& hack, const HackOptions& options, const FpsOverlay* overlay,
                const sigset_t& waiting) {
  SaverSettings = options.settings;
  const Clock::time_point start = Clock::now();
  auto refresh = [&](Clock::time_point now) {
    if (options.clock) ReseedFromTime(CalendarSecondAt(*options.clock, now - start));
    else ReseedFromClock();
    DeriveSceneParameters();
  };
  refresh(start);
  StartScene(hack.width, hack.height);

  FramePacer pacer(std::chrono::microseconds(options.delayMicroseconds));
  pacer.Start(start);
  FpsCounter fps;
  Clock::time_point due = start;
  for (std::uint64_t drawn = 0; !options.frames || drawn < *options.frames; ++drawn) {
    if (drawn > 0) {
      const Ending ending = WaitUntil(hack, due, waiting);
      if (ending != Ending::kRunning) return ending;
    }
    refresh(Clock::now());
    RenderFrame();
    if (overlay != nullptr) overlay->Draw(fps.Text(), hack.width, hack.height);
    ShowFrame(hack);
    const Clock::time_point end = Clock::now();
    fps.FrameDone(end);
    due = pacer.NextFrameAt(end);
  }
  // The last frame reaches the server before the program ends.
  glFinish();
  XSync(hack.display, False);
  return XErrorSeen ? JudgeXError(hack) : Ending::kDone;
}

}  // namespace

int main(int argc, char** argv) {
  HackOptions options;
  std::string error;
  if (!ParseHackOptions(argc, argv, options, error)) {
    ReportError(kProgram, error);
    return 2;
  }
  const std::optional<WindowChoice> choice = ChooseWindow(options, std::getenv("XSCREENSAVER_WINDOW"), error);
  if (!choice) {
    ReportError(kProgram, error);
    return 1;
  }

  const sigset_t waiting = CatchStopSignals();
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    ReportError(kProgram, std::string("cannot open display '") + XDisplayName(nullptr) + "'");
    return 1;
  }
  XSetErrorHandler(RecordXError);

  HackWindow hack;
  FpsOverlay overlay;
  if (OpenHackWindow(display, *choice, hack, error)) {
    if (options.showFps && !overlay.Create(display))
      error = "the X server has no 'fixed' font for --fps";
    else if (RunScene(hack, options, options.showFps ? &overlay : nullptr, waiting) == Ending::kXError)
      error = XErrorText(display);
  }
  overlay.Destroy(display);
  CloseHackWindow(hack);
  XCloseDisplay(display);
  if (!error.empty()) ReportError(kProgram, error);
  return error.empty() ? 0 : 1;
}
