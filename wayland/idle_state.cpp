#include "wayland/idle_state.h"

IdleState::Change IdleState::Idled() {
  if (shown_) return kNone;
  shown_ = true;
  return kShow;
}

IdleState::Change IdleState::InputEnded() {
  if (!shown_) return kNone;
  shown_ = false;
  return kHide;
}
