// Whether the scene is shown in idle mode (--idle), from the compositor's
// idle notifications and the input that ends a shown scene. Both idle
// protocols (ext_idle_notifier_v1, org_kde_kwin_idle) end in these calls.
//
// An "idle" notification shows the scene when it is hidden. Input that
// ends a shown scene (InputRules) hides it. "Resumed" notifications change
// nothing: while the scene is shown the compositor reports any input at all,
// a mouse's jitter included, so the scene's own rules decide; while it is
// hidden there is nothing to hide. After hiding, the next "idle" (once the
// compositor's timeout has passed again without input) shows it again.
#pragma once

class IdleState {
 public:
  // What the program is to do after a notification or input.
  enum Change { kNone, kShow, kHide };

  Change Idled();
  Change InputEnded();

  bool Shown() const { return shown_; }

 private:
  bool shown_ = false;
};
