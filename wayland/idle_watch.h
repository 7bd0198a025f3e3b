// The compositor's idle notifications for one seat: ext_idle_notifier_v1
// where the compositor offers it, KDE's org_kde_kwin_idle otherwise. Both
// tell "idle" once the seat has had no input for the timeout (the ext one
// honours idle inhibitors, such as a playing video), which calls OnIdle.
// Their "resumed" at the next input is not used: while the scene is shown
// the compositor reports any input at all, a mouse's jitter included, so the
// scene's own rules decide what ends it (wayland/seat.cpp); while it is
// hidden there is nothing to hide.
#pragma once

#include <cstdint>
#include <functional>

struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct ext_idle_notification_v1_listener;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

class IdleWatch {
 public:
  std::function<void()> OnIdle;

  IdleWatch() = default;
  ~IdleWatch();
  IdleWatch(const IdleWatch&) = delete;
  IdleWatch& operator=(const IdleWatch&) = delete;

  // Starts watching `seat` for `milliseconds` without input through the ext
  // notifier when it is given (not null), else through KDE's; false when
  // neither is.
  bool Start(ext_idle_notifier_v1* ext, org_kde_kwin_idle* kde, wl_seat* seat, std::uint32_t milliseconds);

  // The ext notification's listener, which calls OnIdle of the IdleWatch
  // passed as its data.
  static const ext_idle_notification_v1_listener& ExtListener();

 private:
  ext_idle_notification_v1* extNotification_ = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
};
