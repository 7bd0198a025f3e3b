// An OpenGL ES 3.0 context that draws into windows: one context for any
// number of window surfaces of one EGL display, made current on each surface
// in turn, with the GL 1.1 layer (gl11/) set up on it so that render/ draws
// through it. The window system's program names its platform and hands over
// its connection (Open), and makes the native windows; nothing here knows
// which window system that is.
//
// Colour buffers are 8 bits a channel, as the headless renderer's, so that a
// frame on screen is the frame that ombrel-frames-gles writes; an opaque
// configuration (no alpha) is preferred for window surfaces, so that a
// compositor shows the pixels as drawn.
#pragma once

#include <functional>
#include <string>

class EglWindowContext {
 public:
  EglWindowContext() = default;
  ~EglWindowContext();
  EglWindowContext(const EglWindowContext&) = delete;
  EglWindowContext& operator=(const EglWindowContext&) = delete;

  // Which configurations' native visuals (EGL_NATIVE_VISUAL_ID) the window
  // system's windows can take; every configuration fits when it is empty.
  using VisualFits = std::function<bool(int nativeVisual)>;

  // Opens and initialises the EGL display of `nativeDisplay` on `platform`
  // (EGL_PLATFORM_WAYLAND_KHR with a wl_display*, EGL_PLATFORM_X11_KHR with
  // an X Display*). Returns false with `error` set (one line) when EGL cannot
  // be initialised on it. The display is terminated with this object.
  bool Open(unsigned platform, void* nativeDisplay, std::string& error);

  // On the opened display: chooses the configuration among those that
  // `fits`, creates the context, makes it current without a surface and sets
  // the GL 1.1 layer up on it.
  // Returns false with `error` set (one line) when a fitting configuration,
  // an OpenGL ES 3.0 context or the layer is not available.
  bool Create(std::string& error, const VisualFits& fits = {});

  // A window surface on `nativeWindow` (what eglCreatePlatformWindowSurface
  // takes for the display's platform: a wl_egl_window*, a pointer to an X
  // Window...). Swapping it never waits for the display: the program paces
  // its frames itself. Null with `error` set when it cannot be made.
  void* CreateSurface(void* nativeWindow, std::string& error);

  // Makes the context current on `surface`; false when EGL refuses.
  bool MakeCurrent(void* surface);

  // Shows what was drawn into `surface`; false when EGL refuses.
  bool Swap(void* surface);

  // Destroys a surface of CreateSurface (not current any more afterwards).
  void DestroySurface(void* surface);

 private:
  void* display_ = nullptr;
  void* config_ = nullptr;
  void* context_ = nullptr;
};
