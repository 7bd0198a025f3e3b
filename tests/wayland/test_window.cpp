#include "tests/wayland/test_window.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>

#include "tests/wayland/test_connection.h"
#include "wayland/ignore_event.h"
#include "xdg-shell-client-protocol.h"

namespace {

TestWindow& WindowOf(void* data) { return *static_cast<TestWindow*>(data); }

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  TestWindow& window = WindowOf(data);
  const std::string which = interface;
  if (which == wl_compositor_interface.name)
    window.Compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
  else if (which == wl_shm_interface.name)
    window.Shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  else if (which == xdg_wm_base_interface.name)
    window.WmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
}

wl_registry_listener RegistryListener() {
  wl_registry_listener listener{};
  listener.global = Global;
  listener.global_remove = IgnoreEvent;
  return listener;
}

void Ping(void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }

xdg_wm_base_listener WmBaseListener() {
  xdg_wm_base_listener listener{};
  listener.ping = Ping;
  return listener;
}

void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
  WindowOf(data).Configure(width, height);
}

xdg_toplevel_listener ToplevelListener() {
  xdg_toplevel_listener listener{};
  listener.configure = ToplevelConfigure;
  listener.close = IgnoreEvent;
  listener.configure_bounds = IgnoreEvent;
  listener.wm_capabilities = IgnoreEvent;
  return listener;
}

void SurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  WindowOf(data).Configured(serial);
}

xdg_surface_listener SurfaceListener() {
  xdg_surface_listener listener{};
  listener.configure = SurfaceConfigure;
  return listener;
}

void FrameCallbackDone(void* data, wl_callback* callback, std::uint32_t) {
  wl_callback_destroy(callback);
  WindowOf(data).FrameDone();
}

wl_callback_listener FrameListener() {
  wl_callback_listener listener{};
  listener.done = FrameCallbackDone;
  return listener;
}

const wl_callback_listener kFrameListener = FrameListener();
const wl_registry_listener kRegistryListener = RegistryListener();
const xdg_wm_base_listener kWmBaseListener = WmBaseListener();
const xdg_toplevel_listener kToplevelListener = ToplevelListener();
const xdg_surface_listener kSurfaceListener = SurfaceListener();

}  // namespace

TestWindow::TestWindow(const std::string& appId, std::uint32_t rgb) : rgb_(rgb) {
  display_ = ConnectAndBindGlobals(kRegistryListener, this);
  if (display_ == nullptr) {
    error_ = "cannot connect to the compositor";
    return;
  }
  if (Compositor == nullptr || Shm == nullptr || WmBase == nullptr) {
    error_ = "the compositor lacks wl_compositor, wl_shm or xdg_wm_base";
    return;
  }
  xdg_wm_base_add_listener(WmBase, &kWmBaseListener, this);
  surface_ = wl_compositor_create_surface(Compositor);
  xdgSurface_ = xdg_wm_base_get_xdg_surface(WmBase, surface_);
  xdg_surface_add_listener(xdgSurface_, &kSurfaceListener, this);
  toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
  xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
  xdg_toplevel_set_app_id(toplevel_, appId.c_str());
  xdg_toplevel_set_title(toplevel_, appId.c_str());
  wl_surface_commit(surface_);
  Pump();
}

TestWindow::~TestWindow() {
  if (display_ != nullptr) wl_display_disconnect(display_);
}

void TestWindow::Pump() {
  if (display_ != nullptr && error_.empty() && wl_display_roundtrip(display_) < 0) error_ = "lost the compositor";
}

void TestWindow::Configured(std::uint32_t) {
  Draw(askedWidth_ > 0 ? askedWidth_ : 400, askedHeight_ > 0 ? askedHeight_ : 300);
}

void TestWindow::Animate() {
  animated_ = true;
  RequestFrame();
  wl_surface_damage(surface_, 0, 0, width_, height_);
  wl_surface_commit(surface_);
  Pump();
}

void TestWindow::FrameDone() {
  ++frames_;
  if (!animated_) return;
  RequestFrame();
  wl_surface_attach(surface_, buffer_, 0, 0);
  wl_surface_damage(surface_, 0, 0, width_, height_);
  wl_surface_commit(surface_);
}

void TestWindow::RequestFrame() { wl_callback_add_listener(wl_surface_frame(surface_), &kFrameListener, this); }

// One buffer of the window's colour at width x height, shown at once.
void TestWindow::Draw(int width, int height) {
  if (width == width_ && height == height_ && buffer_ != nullptr) {
    wl_surface_commit(surface_);
    return;
  }
  const int stride = width * 4, size = stride * height;
  const int fd = memfd_create("ombrel-test-window", MFD_CLOEXEC);
  void* pixels = fd >= 0 && ftruncate(fd, size) == 0 ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                                                     : MAP_FAILED;
  if (pixels == MAP_FAILED) {
    if (fd >= 0) close(fd);
    error_ = "cannot make the window's buffer";
    return;
  }
  auto* pixel = static_cast<std::uint32_t*>(pixels);
  for (int i = 0; i < width * height; ++i) pixel[i] = 0xff000000u | rgb_;
  munmap(pixels, size);
  wl_shm_pool* pool = wl_shm_create_pool(Shm, fd, size);
  wl_buffer* previous = buffer_;
  buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_surface_attach(surface_, buffer_, 0, 0);
  wl_surface_damage(surface_, 0, 0, width, height);
  wl_surface_commit(surface_);
  if (previous != nullptr) wl_buffer_destroy(previous);
  width_ = width;
  height_ = height;
}
