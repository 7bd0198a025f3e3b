// The OpenGL that the X11 program draws its window with. The program is
// linked twice over this one interface, each time with the renderer on
// another OpenGL:
//
//   ombrel       the GL 1.1 layer (gl11/) on an OpenGL ES 3.0 context made
//                with EGL on the X display (window_gl_egl.cpp)
//   ombrel-glx   the system's OpenGL 1.1 through GLX (window_gl_glx.cpp)
//
// `ombrel` hands over to `ombrel-glx` where EGL cannot serve the window
// (x11/hack_main.cpp). The renderer cannot be linked against both OpenGLs in
// one program: both define the same gl* entry points.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <string>

#include "x11/hack_options.h"

class WindowGl {
 public:
  // What this build draws with: kEgl or kGlx.
  static const GlChoice kDrawsWith;
  // The program beside this one to hand over to where this build cannot
  // draw ("ombrel-glx"); null for the GLX build, which has no other.
  static const char* const kFallbackProgram;

  WindowGl();
  ~WindowGl();
  WindowGl(const WindowGl&) = delete;
  WindowGl& operator=(const WindowGl&) = delete;

  // Checks that `display` offers this OpenGL at all. False with `error` set
  // when it does not (no GLX extension; EGL cannot be initialised on it).
  bool Open(Display* display, std::string& error);

  // The visual for a window of the program's own (double-buffered where the
  // OpenGL makes that a property of the visual). False with `error` set when
  // the display has none.
  bool ChooseOwnVisual(XVisualInfo& visual, std::string& error);

  // Makes a context current on `window`, of `width` x `height` and whose
  // visual is `visual`, and sets the renderer up on it. A window of someone else's keeps its visual, which
  // must take this OpenGL in RGBA with 8 bits a colour. False with `error`
  // set when it cannot.
  bool Start(Window window, const XVisualInfo& visual, int width, int height, std::string& error);

  // How the frames are drawn and shown, once started, for --verbose:
  // "OpenGL through GLX".
  std::string Description() const;

  // Follows a change of the window's size, before the next frame is drawn.
  // False with `error` set when the OpenGL cannot draw at the new size.
  bool Resize(int width, int height, std::string& error);

  // Shows the frame drawn since the last call: swaps the buffers, or flushes
  // the drawing into a single-buffered window.
  void ShowFrame();

  // Waits until every frame shown has reached the X server.
  void Finish();

  // Releases the context and everything of this OpenGL on the display; the
  // display stays open.
  void Close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A window id as the messages write it: 0x... in hexadecimal.
std::string WindowName(Window window);
