#include "posix/stop_signals.h"

#include <unistd.h>

#include <csignal>

namespace {

void EndAtOnce(int) { _exit(0); }

}  // namespace

void EndOnStopSignals() {
  struct sigaction action {};
  action.sa_handler = EndAtOnce;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
}
