// How the X11 program draws into its window: the paths of --gl, each an
// OpenGL context on the window with the renderer set up on it.
//
// The renderer is linked against one OpenGL, so the program is built twice:
//
//   ombrel       the GL 1.1 layer (gl11/) on OpenGL ES 3, through GLX's ES
//                profile (glx_es_window_gl.cpp) or, where GLX offers none,
//                on an EGL window surface (egl_window_gl.cpp)
//   ombrel-glx   the system's OpenGL 1.1 through GLX (glx_window_gl.cpp)
//
// Each build lists its paths in the order --gl auto tries them
// (ombrel_paths.cpp, ombrel_glx_paths.cpp); `ombrel` hands over to
// `ombrel-glx` where none of its own can serve the window (x11/hack_main.cpp).
// The renderer cannot be linked against both OpenGLs in one program: both
// define the same gl* entry points.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <string>
#include <vector>

#include "x11/hack_options.h"
#include "x11/scaled_framebuffer.h"

// One path: a context on one window, from Start to Close.
class WindowGl {
 public:
  virtual ~WindowGl() = default;

  // Checks that `display` offers this path at all. False with `error` set
  // when it does not (no GLX extension, no OpenGL ES profile, EGL cannot be
  // initialised on it).
  virtual bool Open(Display* display, std::string& error) = 0;

  // The visual for a window of the program's own. False with `error` set
  // when the display has none.
  virtual bool ChooseOwnVisual(XVisualInfo& visual, std::string& error) = 0;

  // Makes a context current on `window`, whose visual is `visual`, and sets
  // the renderer up on it. A window of someone else's keeps its visual,
  // which must take this OpenGL in RGBA. False with `error` set when it
  // cannot. The drawable follows the window's size by itself.
  virtual bool Start(Window window, const XVisualInfo& visual, std::string& error) = 0;

  // What draws and how frames are shown, once started, for --verbose:
  // "OpenGL ES 3 through GLX on llvmpipe (...), frames shown by glXSwapBuffers".
  virtual std::string Description() const = 0;

  // Looks up an entry point of the started context's OpenGL by name, for
  // what the program draws beside the renderer: the render scale's
  // framebuffer (x11/scaled_framebuffer.h).
  virtual ScaledFramebuffer::ProcLoader Loader() const = 0;

  // Shows the frame drawn since the last call: swaps the buffers, or flushes
  // the drawing into a single-buffered window.
  virtual void ShowFrame() = 0;

  // Waits until every frame shown has been drawn and handed to the X server.
  virtual void Finish() = 0;

  // Releases the context and everything of this path on the display; the
  // display stays open.
  virtual void Close() = 0;
};

// A path of this build: its --gl choice, its name in messages ("OpenGL ES 3
// through GLX") and how to make one.
struct GlPath {
  GlChoice Choice;
  const char* Name;
  std::unique_ptr<WindowGl> (*Make)();
};

// This build's paths, in the order --gl auto tries them.
const std::vector<GlPath>& ProgramGlPaths();

// The program beside this one to hand over to where none of this build's
// paths can serve the window, and its path; null for the GLX build, which
// has no other.
extern const GlPath* const kFallbackPath;
extern const char* const kFallbackProgram;

// The paths, each defined in its own file and linked into the build whose
// OpenGL it draws with.
std::unique_ptr<WindowGl> MakeGlxEsWindowGl();
std::unique_ptr<WindowGl> MakeEglWindowGl();
std::unique_ptr<WindowGl> MakeGlxWindowGl();

// A window id as the messages write it: 0x... in hexadecimal.
std::string WindowName(Window window);
