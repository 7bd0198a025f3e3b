#include "wayland/session.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

bool SessionSocket(std::string& path, std::string& error) {
  path.clear();
  if (std::getenv("WAYLAND_SOCKET") != nullptr) return true;
  const std::string display = Variable("WAYLAND_DISPLAY");
  const std::string runtime = Variable("XDG_RUNTIME_DIR");
  if (display.empty()) {
    error = "no Wayland session: WAYLAND_DISPLAY is not set";
  } else if (display[0] == '/') {
    path = display;
  } else if (runtime.empty()) {
    error = "no Wayland session: XDG_RUNTIME_DIR, the runtime folder that holds the compositor's socket '" +
            display + "', is not set";
  } else {
    path = runtime + "/" + display;
  }
  return error.empty();
}

LockFile HoldLockFile(const std::string& path) {
  // Read-only is enough for a lock, and lets another user of the folder (the
  // tests' root beside the compositor's user) take it too.
  const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return LockFile::kUnavailable;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return LockFile::kHeld;
  const bool another = errno == EWOULDBLOCK;
  close(fd);
  return another ? LockFile::kHeldByAnother : LockFile::kUnavailable;
}
