// X errors that a few requests may cause and the program expects: while a
// trap is set, errors are counted here instead of reaching the program's
// handler, which would judge them in its event loop as faults.
//
//   XErrorTrap trap(display);
//   ... requests that may fail ...
//   if (trap.Caught()) ...;   // the requests were answered, errors counted
#pragma once

#include <X11/Xlib.h>

class XErrorTrap {
 public:
  // Sends what is queued and waits for it, so that earlier errors go to the
  // handler in force, then sets the trap.
  explicit XErrorTrap(Display* display);
  // Waits for the requests made meanwhile and puts the handler back.
  ~XErrorTrap();
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

  // Whether a request made since the trap was set has failed, once the
  // server has answered them all.
  bool Caught();

 private:
  Display* display_;
  XErrorHandler previous_;
};
