#include "wayland/idle_watch.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace {

void Idled(void* data, ext_idle_notification_v1*) {
  auto* watch = static_cast<IdleWatch*>(data);
  if (watch->OnIdle) watch->OnIdle();
}

void Resumed(void* data, ext_idle_notification_v1*) {
  auto* watch = static_cast<IdleWatch*>(data);
  if (watch->OnResumed) watch->OnResumed();
}

const ext_idle_notification_v1_listener kExtListener = {Idled, Resumed};

void KdeIdle(void* data, org_kde_kwin_idle_timeout*) { Idled(data, nullptr); }
void KdeResumed(void* data, org_kde_kwin_idle_timeout*) { Resumed(data, nullptr); }

const org_kde_kwin_idle_timeout_listener kKdeListener = {KdeIdle, KdeResumed};

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
