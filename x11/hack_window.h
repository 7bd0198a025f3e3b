// The X window the frames go to and the OpenGL context current on it.
//
// A window of the program's own gets a double-buffered RGBA visual of GLX and
// ends the program on Escape, q or the window manager's close. A window that
// belongs to someone else (the root window, XScreenSaver's window, a preview
// window) keeps its own visual, which must support OpenGL in RGBA; with a
// single-buffered one the frames are drawn into the window directly. Either
// way the program hears of the window's size changes and of its destruction.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <string>

#include "x11/hack_options.h"

struct HackWindow {
  Display* XDisplay = nullptr;
  Window XWindow = 0;
  bool OwnWindow = false;       // made by this program
  bool DoubleBuffered = false;
  Colormap OwnColormap = 0;     // of a window of the program's own
  Atom DeleteWindowAtom = 0;    // WM_DELETE_WINDOW, for a window of the program's own
  GLXContext Context = nullptr;
  int Width = 0, Height = 0;
};

// The size of a window of the program's own.
constexpr int kOwnWindowWidth = 1024, kOwnWindowHeight = 768;

// Finds or makes the window of `choice` on `display` and makes an OpenGL
// context current on it. Returns false with `error` set when the X server has
// no GLX, or the window does not exist, is InputOnly or has a visual that
// cannot take OpenGL.
bool OpenHackWindow(Display* display, const WindowChoice& choice, HackWindow& hack, std::string& error);

// Shows the frame drawn since the last call: swaps the buffers, or flushes
// the drawing into a single-buffered window.
void ShowFrame(const HackWindow& hack);

// Releases the context, and the window when it is the program's own.
void CloseHackWindow(HackWindow& hack);
