#include "x11/hack_window.h"

#include <X11/Xutil.h>

#include <cstdio>

namespace {

std::string WindowName(Window window) {
  char name[32];
  std::snprintf(name, sizeof name, "0x%lx", static_cast<unsigned long>(window));
  return name;
}

// A 1024 x 768 top-level window titled "Ombrel" with a double-buffered RGBA
// visual, mapped, that tells of keys, its size and the window manager's close.
bool MakeOwnWindow(Display* display, HackWindow& hack, XVisualInfo*& visual, std::string& error) {
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1,
                      GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16, None};
  visual = glXChooseVisual(display, DefaultScreen(display), attributes);
  if (visual == nullptr) {
    error = "the display has no double-buffered RGBA visual for OpenGL";
    return false;
  }
  const Window root = RootWindow(display, visual->screen);
  hack.OwnColormap = XCreateColormap(display, root, visual->visual, AllocNone);
  XSetWindowAttributes set{};
  set.colormap = hack.OwnColormap;
  set.background_pixel = BlackPixel(display, visual->screen);
  set.border_pixel = 0;
  set.event_mask = KeyPressMask | StructureNotifyMask;
  hack.XWindow = XCreateWindow(display, root, 0, 0, kOwnWindowWidth, kOwnWindowHeight, 0, visual->depth,
                              InputOutput, visual->visual,
                              CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
  XStoreName(display, hack.XWindow, "Ombrel");
  XClassHint classHint{const_cast<char*>("ombrel"), const_cast<char*>("Ombrel")};
  XSetClassHint(display, hack.XWindow, &classHint);
  hack.DeleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, hack.XWindow, &hack.DeleteWindowAtom, 1);
  XMapWindow(display, hack.XWindow);
  hack.OwnWindow = true;
  hack.DoubleBuffered = true;
  hack.Width = kOwnWindowWidth;
  hack.Height = kOwnWindowHeight;
  return true;
}

// Someone else's window with its own visual, which must take RGBA OpenGL.
bool UseGivenWindow(Display* display, Window window, HackWindow& hack, XVisualInfo*& visual,
                    std::string& error) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    error = "there is no window " + WindowName(window);
    return false;
  }
  if (attributes.c_class == InputOnly) {
    error = "window " + WindowName(window) + " is an InputOnly window, which cannot be drawn into";
    return false;
  }
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  wanted.screen = XScreenNumberOfScreen(attributes.screen);
  int count = 0;
  visual = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
  int useGl = 0, rgba = 0, doubleBuffer = 0;
  if (visual == nullptr || glXGetConfig(display, visual, GLX_USE_GL, &useGl) != 0 || !useGl ||
      glXGetConfig(display, visual, GLX_RGBA, &rgba) != 0 || !rgba) {
    error = "the visual of window " + WindowName(window) + " does not support RGBA OpenGL";
    return false;
  }
  glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffer);
  XSelectInput(display, window, StructureNotifyMask);
  hack.XWindow = window;
  hack.DoubleBuffered = doubleBuffer != 0;
  hack.Width = attributes.width;
  hack.Height = attributes.height;
  return true;
}

}  // namespace

bool OpenHackWindow(Display* display, const WindowChoice& choice, HackWindow& hack, std::string& error) {
  hack.XDisplay = display;
  // Without the extension every GLX call fails, with messages about visuals
  // that would hide the cause.
  int opcode = 0, firstEvent = 0, firstError = 0;
  if (!XQueryExtension(display, "GLX", &opcode, &firstEvent, &firstError)) {
    error = std::string("the X server of display '") + DisplayString(display) +
            "' has no GLX extension, which OpenGL needs";
    return false;
  }
  XVisualInfo* visual = nullptr;
  const bool found = choice.Kind == WindowChoice::kOwnWindow
                         ? MakeOwnWindow(display, hack, visual, error)
                         : UseGivenWindow(display,
                                          choice.Kind == WindowChoice::kRootWindow
                                              ? DefaultRootWindow(display)
                                              : static_cast<Window>(choice.Id),
                                          hack, visual, error);
  if (found) {
    hack.Context = glXCreateContext(display, visual, nullptr, True);
    if (hack.Context == nullptr || !glXMakeCurrent(display, hack.XWindow, hack.Context)) {
      error = "cannot make an OpenGL context current on window " + WindowName(hack.XWindow);
    }
  }
  if (visual != nullptr) XFree(visual);
  return found && error.empty();
}

void ShowFrame(const HackWindow& hack) {
  if (hack.DoubleBuffered) glXSwapBuffers(hack.XDisplay, hack.XWindow);
  else glFlush();
}

void CloseHackWindow(HackWindow& hack) {
  if (hack.XDisplay == nullptr) return;
  glXMakeCurrent(hack.XDisplay, None, nullptr);
  if (hack.Context != nullptr) glXDestroyContext(hack.XDisplay, hack.Context);
  if (hack.OwnWindow) {
    XDestroyWindow(hack.XDisplay, hack.XWindow);
    XFreeColormap(hack.XDisplay, hack.OwnColormap);
  }
  hack = HackWindow{};
}
