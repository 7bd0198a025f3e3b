#include "egl/egl_window_context.h"

#define EGL_NO_X11
#include <EGL/egl.h>

#include "gl11/gl11.h"

namespace {

// The first configuration that `fits`, of exactly 8 bits for red, green and
// blue with `alpha` bits of alpha; null when there is none. EGL lists deeper
// colour first, and blending rounds to the buffer's depth.
EGLConfig ConfigWithAlpha(EGLDisplay display, const EGLConfig* configs, EGLint count, EGLint alpha,
                          const EglWindowContext::VisualFits& fits) {
  for (EGLint i = 0; i < count; ++i) {
    EGLint visual = 0;
    eglGetConfigAttrib(display, configs[i], EGL_NATIVE_VISUAL_ID, &visual);
    if (fits && !fits(visual)) continue;
    EGLint red = 0, green = 0, blue = 0, alphaSize = 0;
    eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
    eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
    eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &alphaSize);
    if (red == 8 && green == 8 && blue == 8 && alphaSize == alpha) return configs[i];
  }
  return nullptr;
}

}  // namespace

EglWindowContext::~EglWindowContext() {
  if (display_ == nullptr) return;
  if (context_ != nullptr) {
    Gl11Shutdown();
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
  }
  eglTerminate(display_);
}

bool EglWindowContext::Open(unsigned platform, void* nativeDisplay, std::string& error) {
  const EGLDisplay display = eglGetPlatformDisplay(platform, nativeDisplay, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
    error = "EGL cannot be initialised on this display";
    return false;
  }
  display_ = display;
  return true;
}

bool EglWindowContext::Create(std::string& error, const VisualFits& fits) {
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                               EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES3_BIT,
                               EGL_NONE};
  EGLConfig configs[256];
  EGLint count = 0;
  eglChooseConfig(display_, attributes, configs, 256, &count);
  // Opaque first: the window shows the scene on black, and an opaque
  // configuration lets the compositor skip blending it.
  config_ = ConfigWithAlpha(display_, configs, count, 0, fits);
  if (config_ == nullptr) config_ = ConfigWithAlpha(display_, configs, count, 8, fits);
  if (config_ == nullptr) {
    error = fits ? "EGL has no 8-bit RGB configuration for OpenGL ES 3 that fits the window's visual"
                 : "EGL has no 8-bit RGB window configuration for OpenGL ES 3";
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_ES_API)) {
    error = "EGL cannot bind OpenGL ES";
    return false;
  }
  const EGLint es3[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
  context_ = eglCreateContext(display_, config_, EGL_NO_CONTEXT, es3);
  if (context_ == EGL_NO_CONTEXT) {
    context_ = nullptr;
    error = "EGL cannot create an OpenGL ES 3.0 context";
    return false;
  }
  // Surfaceless, so that the layer is set up before the first window exists.
  if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) {
    error = "EGL cannot make an OpenGL ES 3.0 context current without a surface";
    return false;
  }
  std::string layerError;
  if (!Gl11Init(eglGetProcAddress, layerError)) {
    error = "the GL 1.1 layer cannot be set up on OpenGL ES 3: " + layerError;
    return false;
  }
  return true;
}

void* EglWindowContext::CreateSurface(void* nativeWindow, std::string& error) {
  EGLSurface surface = eglCreatePlatformWindowSurface(display_, config_, nativeWindow, nullptr);
  if (surface == EGL_NO_SURFACE) {
    error = "EGL cannot create a window surface";
    return nullptr;
  }
  if (eglMakeCurrent(display_, surface, surface, context_)) eglSwapInterval(display_, 0);
  return surface;
}

bool EglWindowContext::MakeCurrent(void* surface) {
  return eglMakeCurrent(display_, surface, surface, context_) == EGL_TRUE;
}

bool EglWindowContext::Swap(void* surface) { return eglSwapBuffers(display_, surface) == EGL_TRUE; }

void EglWindowContext::DestroySurface(void* surface) {
  if (surface == nullptr) return;
  if (eglGetCurrentSurface(EGL_DRAW) == surface)
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
  eglDestroySurface(display_, surface);
}
