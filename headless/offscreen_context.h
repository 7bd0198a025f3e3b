// An OpenGL context without any display: EGL on Mesa's surfaceless platform,
// current on a pbuffer of the requested size. A desktop OpenGL
// compatibility-profile context (so immediate mode works) for the renderer
// on the system's OpenGL, or an OpenGL ES 3.0 context for the renderer
// through the GL 1.1 layer (gl11/). For the headless renderers, the pixel
// tests and the rendering benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class OffscreenApi { kOpenGL, kOpenGLES3 };

class OffscreenContext {
 public:
  OffscreenContext() = default;
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  // Creates the context and makes it current. Returns false with `error` set
  // when EGL or the platform is not available.
  bool Create(int width, int height, std::string& error, OffscreenApi api = OffscreenApi::kOpenGL);

  // The colour buffer as RGB bytes, top row first (as images are stored).
  std::vector<std::uint8_t> ReadRgb() const;

  // Waits until everything drawn so far is in the colour buffer.
  void Finish() const;

 private:
  void* display_ = nullptr;
  void* context_ = nullptr;
  void* surface_ = nullptr;
  int width_ = 0, height_ = 0;
};

// Writes RGB bytes, top row first, as an 8-bit PNG file.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              std::string& error);
