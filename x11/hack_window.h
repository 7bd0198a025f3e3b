// The X window the frames go to, with the program's OpenGL (x11/window_gl.h)
// current on it.
//
// A window of the program's own gets the visual that the OpenGL chooses and
// ends the program on Escape, q or the window manager's close. A window that
// belongs to someone else (the root window, XScreenSaver's window, a preview
// window) keeps its own visual, which the OpenGL must be able to draw with.
// Either way the program hears of the window's size changes and of its
// destruction.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "x11/hack_options.h"
#include "x11/window_gl.h"

struct HackWindow {
  Display* XDisplay = nullptr;
  Window XWindow = 0;
  bool OwnWindow = false;       // made by this program
  Colormap OwnColormap = 0;     // of a window of the program's own
  Atom DeleteWindowAtom = 0;    // WM_DELETE_WINDOW, for a window of the program's own
  int Width = 0, Height = 0;
  // The render scale's framebuffer, and the size the scene is drawn at
  // (the window's where nothing is scaled), once the scene starts.
  ScaledFramebuffer Scaled;
};

// The size of a window of the program's own.
constexpr int kOwnWindowWidth = 1024, kOwnWindowHeight = 768;

enum class Opened {
  kOpened,
  kNoWindow,  // the window does not exist or is InputOnly
  kNoGl,      // the OpenGL cannot draw on the display or into the window
};

// Finds or makes the window of `choice` on `display` and starts `gl` on it.
// Returns kOpened, or the cause with `error` set.
Opened OpenHackWindow(Display* display, const WindowChoice& choice, WindowGl& gl, HackWindow& hack,
                      std::string& error);

// Closes `gl`, then the window when it is the program's own.
void CloseHackWindow(WindowGl& gl, HackWindow& hack);
