#include "render/offscreen_context.h"

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

bool OffscreenContext::Create(int width, int height, std::string& error) {
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
                                     EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
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
    error = "no EGL configuration with an 8-bit RGB pbuffer for desktop OpenGL";
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error = "EGL cannot bind desktop OpenGL";
    return false;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, contextAttributes);
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  surface_ = eglCreatePbufferSurface(display_, config, surfaceAttributes);
  if (context_ == EGL_NO_CONTEXT || surface_ == EGL_NO_SURFACE ||
      !eglMakeCurrent(display_, surface_, surface_, context_)) {
    error = "cannot create and activate a compatibility context on a pbuffer";
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

std::vector<std::uint8_t> OffscreenContext::ReadRgb() const {
  const size_t stride = static_cast<size_t>(width_) * 3;
  std::vector<std::uint8_t> bottomUp(stride * height_), topDown(stride * height_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  for (int row = 0; row < height_; ++row)
    std::copy_n(&bottomUp[stride * (height_ - 1 - row)], stride, &topDown[stride * row]);
  return topDown;
}

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
