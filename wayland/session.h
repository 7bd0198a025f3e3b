// The Wayland session that the environment names, checked before libwayland
// is asked (so that what is missing is said in the program's own one line),
// and the one saver a display may have.
#pragma once

#include <string>

// The path of the compositor's socket, as libwayland finds it: WAYLAND_DISPLAY
// itself when it is a path, else that name in XDG_RUNTIME_DIR. Empty where the
// program was handed a connected socket (WAYLAND_SOCKET). False with `error`
// set (one line) when WAYLAND_DISPLAY is not set, or names a socket in a
// runtime folder that XDG_RUNTIME_DIR does not give.
bool SessionSocket(std::string& path, std::string& error);

enum class LockFile { kHeld, kHeldByAnother, kUnavailable };

// Takes the lock file at `path` (made where missing) for the life of the
// process: its descriptor stays open, and the system lets go of the lock when
// the process ends, however it ends. kHeldByAnother when another process
// holds it; kUnavailable when it cannot be made or locked.
LockFile HoldLockFile(const std::string& path);

// The lock file of the saver on the display whose socket is `socket`, beside
// the compositor's own lock file.
inline std::string SaverLockPath(const std::string& socket) { return socket + ".ombrel-wayland.lock"; }
