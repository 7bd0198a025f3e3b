#include "x11/x_error_trap.h"

namespace {

// Xlib's handlers are process-wide functions without a context; the program
// has one connection and one thread, so one count serves.
int ErrorsCaught = 0;

int CountError(Display*, XErrorEvent*) {
  ++ErrorsCaught;
  return 0;
}

}  // namespace

XErrorTrap::XErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);
  ErrorsCaught = 0;
  previous_ = XSetErrorHandler(CountError);
}

XErrorTrap::~XErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previous_);
}

bool XErrorTrap::Caught() {
  XSync(display_, False);
  return ErrorsCaught > 0;
}
