// An OpenGL context without any display: EGL on Mesa's surfaceless platform,
// a compatibility-profile context (so immediate mode works) current on a
// pbuffer of the requested size. For the headless renderer, the pixel tests
// and the rendering benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class OffscreenContext {
 public:
  OffscreenContext() = default;
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  // Creates the context and makes it current. Returns false with `error` set
  // when EGL or the platform is not available.
  bool Create(int width, int height, std::string& error);

  int width() const { return width_; }
  int height() const { return height_; }

  // The colour buffer as RGB bytes, top row first (as images are stored).
  std::vector<std::uint8_t> ReadRgb() const;

 private:
  void* display_ = nullptr;
  void* context_ = nullptr;
  void* surface_ = nullptr;
  int width_ = 0, height_ = 0;
};

// Writes RGB bytes, top row first, as an 8-bit PNG file.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              std::string& error);
