#include "headless/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <png.h>

#include <algorithm>
#include <cstdio>

OffscreenContext::~OffscreenContext() {
  if (display_ == nullptr) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (surface_) eglDestroySurface(display_, surface_);
  if (context_) eglDestroyContext(display_, context_);
  eglTerminate(display_);
}

namespace {

// Both kinds of context are reached through EGL's look-up, so that this file
// needs neither the desktop OpenGL library nor the OpenGL ES one: a program
// that draws through the GL 1.1 layer defines the gl* names itself.
template <typename Function>
Function GlFunction(const char* name) {
  return reinterpret_cast<Function>(eglGetProcAddress(name));
}

}  // namespace

bool OffscreenContext::Create(int width, int height, std::string& error, OffscreenApi api) {
  const bool es = api == OffscreenApi::kOpenGLES3;
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) {
    error = "EGL has no eglGetPlatformDisplayEXT";
    return false;
  }
  display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display_ == EGL_NO_DISPLAY || !eglInitialize(display_, nullptr, nullptr)) {
    display_ = nullptr;
    error = "no surfaceless EGL display (is Mesa's EGL installed?)";
    return false;
  }

  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8,
                                     EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16,
                                     EGL_RENDERABLE_TYPE, es ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT,
                                     EGL_NONE};
  // The sizes asked for are minimums, and EGL lists deeper colour first (10
  // bits a channel on Mesa). Blending rounds to the buffer's depth, so the
  // first configuration of exactly 8 bits a channel is taken: the pictures
  // are then those that an X screen of 24 bits shows.
  EGLConfig configs[64];
  EGLint count = 0;
  EGLConfig config = nullptr;
  eglChooseConfig(display_, configAttributes, configs, 64, &count);
  for (EGLint i = 0; i < count && config == nullptr; ++i) {
    EGLint red = 0, green = 0, blue = 0;
    eglGetConfigAttrib(display_, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(display_, configs[i], EGL_GREEN_SIZE, &green);
    eglGetConfigAttrib(display_, configs[i], EGL_BLUE_SIZE, &blue);
    if (red == 8 && green == 8 && blue == 8) config = configs[i];
  }
  if (config == nullptr) {
    error = std::string("no EGL configuration with an 8-bit RGB pbuffer for ") +
            (es ? "OpenGL ES 3" : "desktop OpenGL");
    return false;
  }
  if (!eglBindAPI(es ? EGL_OPENGL_ES_API : EGL_OPENGL_API)) {
    error = es ? "EGL cannot bind OpenGL ES" : "EGL cannot bind desktop OpenGL";
    return false;
  }
  const EGLint compatibilityAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                            EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  const EGLint es3Attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
  context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT,
                              es ? es3Attributes : compatibilityAttributes);
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  surface_ = eglCreatePbufferSurface(display_, config, surfaceAttributes);
  if (context_ == EGL_NO_CONTEXT || surface_ == EGL_NO_SURFACE ||
      !eglMakeCurrent(display_, surface_, surface_, context_)) {
    error = es ? "cannot create and activate an OpenGL ES 3.0 context on a pbuffer"
               : "cannot create and activate a compatibility context on a pbuffer";
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

std::vector<std::uint8_t> OffscreenContext::ReadRgb() const {
  // RGBA is the one format that OpenGL ES always reads.
  using ReadPixels = void (*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
  std::vector<std::uint8_t> rgba(static_cast<size_t>(width_) * height_ * 4);
  GlFunction<ReadPixels>("glReadPixels")(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  std::vector<std::uint8_t> topDown(static_cast<size_t>(width_) * height_ * 3);
  for (int row = 0; row < height_; ++row) {
    const std::uint8_t* in = &rgba[static_cast<size_t>(width_) * 4 * (height_ - 1 - row)];
    std::uint8_t* out = &topDown[static_cast<size_t>(width_) * 3 * row];
    for (int column = 0; column < width_; ++column, in += 4, out += 3) std::copy_n(in, 3, out);
  }
  return topDown;
}

void OffscreenContext::Finish() const { GlFunction<void (*)()>("glFinish")(); }

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr)) {
    error = "cannot write " + path + ": " + image.message;
    return false;
  }
  return true;
}
