// A window of the tests' own: an xdg-shell toplevel of one colour on the
// compositor that WAYLAND_DISPLAY names, drawn at the size the compositor
// asks for (400 x 300 where it leaves the size to the window), at rest or
// redrawn on every frame callback. It answers the compositor only when the
// test calls Pump.
#pragma once

#include <cstdint>
#include <string>

struct wl_buffer;
struct wl_compositor;
struct wl_display;
struct wl_shm;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;

class TestWindow {
 public:
  // A window with the application id `appId` (for the compositor's window
  // rules), filled with `rgb` (0xRRGGBB).
  TestWindow(const std::string& appId, std::uint32_t rgb);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  // Empty while all is well; else what failed.
  const std::string& Error() const { return error_; }

  // Handles what the compositor sent (a round trip): sizes it asks for are
  // drawn and shown at once.
  void Pump();

  // From now on, draws again at each frame callback, so that the output
  // keeps being redrawn; Frames counts those callbacks.
  void Animate();
  int Frames() const { return frames_; }

  // The size last drawn; 0 before the first.
  int Width() const { return width_; }
  int Height() const { return height_; }

  // For the listeners.
  void Configure(int width, int height) {
    askedWidth_ = width;
    askedHeight_ = height;
  }
  void Configured(std::uint32_t serial);
  void FrameDone();

  wl_compositor* Compositor = nullptr;
  wl_shm* Shm = nullptr;
  xdg_wm_base* WmBase = nullptr;

 private:
  void Draw(int width, int height);
  void RequestFrame();

  wl_display* display_ = nullptr;
  wl_surface* surface_ = nullptr;
  xdg_surface* xdgSurface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  wl_buffer* buffer_ = nullptr;
  std::uint32_t rgb_;
  int askedWidth_ = 0, askedHeight_ = 0, width_ = 0, height_ = 0;
  bool animated_ = false;
  int frames_ = 0;
  std::string error_;
};
