#include "x11/hack_window.h"

#include <cstdio>

std::string WindowName(Window window) {
  char name[32];
  std::snprintf(name, sizeof name, "0x%lx", static_cast<unsigned long>(window));
  return name;
}

namespace {

// A 1024 x 768 top-level window titled "Ombrel" with `visual`, mapped, that
// tells of keys, its size and the window manager's close.
void MakeOwnWindow(Display* display, const XVisualInfo& visual, HackWindow& hack) {
  const Window root = RootWindow(display, visual.screen);
  hack.OwnColormap = XCreateColormap(display, root, visual.visual, AllocNone);
  XSetWindowAttributes set{};
  set.colormap = hack.OwnColormap;
  set.background_pixel = BlackPixel(display, visual.screen);
  set.border_pixel = 0;
  set.event_mask = KeyPressMask | StructureNotifyMask;
  hack.XWindow = XCreateWindow(display, root, 0, 0, kOwnWindowWidth, kOwnWindowHeight, 0, visual.depth,
                              InputOutput, visual.visual,
                              CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
  XStoreName(display, hack.XWindow, "Ombrel");
  XClassHint classHint{const_cast<char*>("ombrel"), const_cast<char*>("Ombrel")};
  XSetClassHint(display, hack.XWindow, &classHint);
  hack.DeleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, hack.XWindow, &hack.DeleteWindowAtom, 1);
  XMapWindow(display, hack.XWindow);
  hack.OwnWindow = true;
  hack.Width = kOwnWindowWidth;
  hack.Height = kOwnWindowHeight;
}

// Someone else's window and its visual.
bool UseGivenWindow(Display* display, Window window, HackWindow& hack, XVisualInfo& visual,
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
  XVisualInfo* found = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
  if (found == nullptr) {
    error = "the visual of window " + WindowName(window) + " is not on its screen";
    return false;
  }
  visual = *found;
  XFree(found);
  XSelectInput(display, window, StructureNotifyMask);
  hack.XWindow = window;
  hack.Width = attributes.width;
  hack.Height = attributes.height;
  return true;
}

}  // namespace

Opened OpenHackWindow(Display* display, const WindowChoice& choice, WindowGl& gl, HackWindow& hack,
                      std::string& error) {
  hack.XDisplay = display;
  if (!gl.Open(display, error)) return Opened::kNoGl;
  XVisualInfo visual{};
  if (choice.Kind == WindowChoice::kOwnWindow) {
    if (!gl.ChooseOwnVisual(visual, error)) return Opened::kNoGl;
    MakeOwnWindow(display, visual, hack);
  } else {
    const Window window =
        choice.Kind == WindowChoice::kRootWindow ? DefaultRootWindow(display) : static_cast<Window>(choice.Id);
    if (!UseGivenWindow(display, window, hack, visual, error)) return Opened::kNoWindow;
  }
  return gl.Start(hack.XWindow, visual, error) ? Opened::kOpened : Opened::kNoGl;
}

void CloseHackWindow(WindowGl& gl, HackWindow& hack) {
  gl.Close();
  if (hack.XDisplay == nullptr) return;
  if (hack.OwnWindow) {
    XDestroyWindow(hack.XDisplay, hack.XWindow);
    XFreeColormap(hack.XDisplay, hack.OwnColormap);
  }
  hack = HackWindow{};
}
