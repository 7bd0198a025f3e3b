#include "wayland/idle_watch.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "wayland/ignore_event.h"

namespace {

void Idled(void* data) {
  auto* watch = static_cast<IdleWatch*>(data);
  if (watch->OnIdle) watch->OnIdle();
}

void ExtIdled(void* data, ext_idle_notification_v1*) { Idled(data); }
void KdeIdle(void* data, org_kde_kwin_idle_timeout*) { Idled(data); }

ext_idle_notification_v1_listener ExtListenerTable() {
  ext_idle_notification_v1_listener listener{};
  listener.idled = ExtIdled;
  listener.resumed = IgnoreEvent;
  return listener;
}

org_kde_kwin_idle_timeout_listener KdeListenerTable() {
  org_kde_kwin_idle_timeout_listener listener{};
  listener.idle = KdeIdle;
  listener.resumed = IgnoreEvent;
  return listener;
}

const ext_idle_notification_v1_listener kExtListener = ExtListenerTable();
const org_kde_kwin_idle_timeout_listener kKdeListener = KdeListenerTable();

}  // namespace

const ext_idle_notification_v1_listener& IdleWatch::ExtListener() { return kExtListener; }

IdleWatch::~IdleWatch() {
  if (extNotification_ != nullptr) ext_idle_notification_v1_destroy(extNotification_);
  if (kdeTimeout_ != nullptr) org_kde_kwin_idle_timeout_release(kdeTimeout_);
}

bool IdleWatch::Start(ext_idle_notifier_v1* ext, org_kde_kwin_idle* kde, wl_seat* seat,
                      std::uint32_t milliseconds) {
  if (ext != nullptr) {
    extNotification_ = ext_idle_notifier_v1_get_idle_notification(ext, milliseconds, seat);
    ext_idle_notification_v1_add_listener(extNotification_, &kExtListener, this);
    return true;
  }
  if (kde != nullptr) {
    kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kde, seat, milliseconds);
    org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kKdeListener, this);
    return true;
  }
  return false;
}
