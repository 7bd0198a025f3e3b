// The GL 1.1 layer on an OpenGL ES 3.0 context made with EGL on the X
// display, drawing into an EGL window surface: the path of `ombrel` where
// GLX offers no OpenGL ES profile (an X server without GLX, a display that
// GLX does not render to directly, a driver without the extension). The
// context and its configuration come from egl/ (shared with the Wayland
// program); what is X11's here is the display and which configurations fit
// a window.
//
// A window surface needs a configuration whose native visual has the window
// visual's class, depth and colour masks: the window's own visual, or one
// that stores pixels the same way (GLX lists copies of the default visual
// that EGL does not name itself). Mesa's EGL names none for 32-bit visuals
// with alpha, such as XScreenSaver gives its GL hacks; such a window is
// left to the next path.
#include <cstdio>

#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "egl/egl_window_context.h"
#include "x11/window_gl.h"

namespace {

constexpr unsigned kGlRenderer = 0x1F01;  // GL_RENDERER

// Whether X visual `id` on `display` stores pixels as `wanted` does.
bool SameFormat(Display* display, int id, const XVisualInfo& wanted) {
  XVisualInfo pattern{};
  pattern.visualid = static_cast<VisualID>(id);
  pattern.screen = wanted.screen;
  int count = 0;
  XVisualInfo* found = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &pattern, &count);
  if (found == nullptr) return false;
  const bool same = found->c_class == wanted.c_class && found->depth == wanted.depth &&
                    found->red_mask == wanted.red_mask && found->green_mask == wanted.green_mask &&
                    found->blue_mask == wanted.blue_mask;
  XFree(found);
  return same;
}

class EglWindowGl : public WindowGl {
 public:
  ~EglWindowGl() override { Close(); }

  bool Open(Display* display, std::string& error) override {
    display_ = display;
    if (context_->Open(EGL_PLATFORM_X11_KHR, display, error)) return true;
    error = std::string("EGL cannot be initialised on display '") + DisplayString(display) + "'";
    return false;
  }

  bool ChooseOwnVisual(XVisualInfo& visual, std::string& error) override {
    // The default depth in true colour: a window of the program's own needs
    // no colour map set up, and EGL names a configuration for it.
    if (!XMatchVisualInfo(display_, DefaultScreen(display_), DefaultDepth(display_, DefaultScreen(display_)),
                          TrueColor, &visual)) {
      error = "the display has no true-colour visual at its default depth";
      return false;
    }
    return true;
  }

  bool Start(Window window, const XVisualInfo& visual, std::string& error) override {
    const EglWindowContext::VisualFits fits = [&](int id) { return SameFormat(display_, id, visual); };
    if (!context_->Create(error, fits)) {
      char described[96];
      std::snprintf(described, sizeof described, " (window %s, visual 0x%lx of depth %d)",
                    WindowName(window).c_str(), static_cast<unsigned long>(visual.visualid), visual.depth);
      error += described;
      return false;
    }
    surface_ = context_->CreateSurface(&window, error);
    if (surface_ == nullptr) {
      error += " on window " + WindowName(window);
      return false;
    }
    // OpenGL ES's own: the layer defines no glGetString.
    using GetStringProc = const unsigned char* (*)(unsigned);
    const auto getString = reinterpret_cast<GetStringProc>(eglGetProcAddress("glGetString"));
    const unsigned char* renderer = getString != nullptr ? getString(kGlRenderer) : nullptr;
    renderer_ = renderer != nullptr && *renderer != 0 ? reinterpret_cast<const char*>(renderer) : "an unnamed renderer";
    return true;
  }

  std::string Description() const override {
    return "OpenGL ES 3 through EGL on " + renderer_ + ", frames shown by eglSwapBuffers on a window surface";
  }

  ScaledFramebuffer::ProcLoader Loader() const override { return eglGetProcAddress; }

  void ShowFrame() override {
    // Mesa's EGL sends a software-drawn frame through the connection in
    // pieces of the largest request the connection allows, which is 0 once
    // the connection has failed (the X server ended while the frame was
    // drawn), and then it loops for ever. Xlib, reading what has arrived
    // (no round trip), finds such a failure first and ends the program
    // through its handler for a lost connection.
    XEventsQueued(display_, QueuedAfterReading);
    context_->Swap(surface_);
  }

  void Finish() override { eglWaitClient(); }

  void Close() override {
    if (display_ == nullptr) return;
    context_->DestroySurface(surface_);
    // The context goes and the EGL display is terminated before the X
    // display closes.
    context_.reset();
    display_ = nullptr;
    surface_ = nullptr;
  }

 private:
  Display* display_ = nullptr;
  // Its display opened by Open, its context made by Start.
  std::unique_ptr<EglWindowContext> context_ = std::make_unique<EglWindowContext>();
  void* surface_ = nullptr;
  std::string renderer_;
};

}  // namespace

std::unique_ptr<WindowGl> MakeEglWindowGl() { return std::make_unique<EglWindowGl>(); }
