// What the X11 end-to-end tests share: a virtual X server of the test's own
// and its windows' pixels, beside tests/support/test_process.h. Every wait
// is bounded.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_process.h"

// A virtual X server of its own (Xvfb with one 24-bit screen, open to every
// local user so that a test may run a client as another user, with `options`
// added to its command line) and the test's connection to it.
class VirtualDisplay {
 public:
  VirtualDisplay(int width, int height, const std::vector<std::string>& options = {}) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(pipeFds[0]);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
      const std::string fd = std::to_string(pipeFds[1]);
      std::vector<std::string> argv = {"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp", "-ac"};
      argv.insert(argv.end(), options.begin(), options.end());
      std::vector<char*> args;
      for (std::string& a : argv) args.push_back(a.data());
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
    close(pipeFds[1]);
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd readable{pipeFds[0], POLLIN, 0};
    char c = 0;
    while (poll(&readable, 1, 10000) > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipeFds[0]);
    if (number.empty()) return;
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
  }
  ~VirtualDisplay() {
    if (display_ != nullptr) XCloseDisplay(display_);
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      if (!WaitFor([&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 5s)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  Display* display() const { return display_; }
  Window root() const { return DefaultRootWindow(display_); }
  // The Xvfb process, for a test that stops or kills the server.
  pid_t pid() const { return pid_; }

  // Closes the test's own connection, before a test takes the server away:
  // Xlib ends a process whose connection breaks.
  void Disconnect() {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
  }
  // "DISPLAY=:N", for the programs that the test starts.
  std::string Variable() const { return "DISPLAY=" + name_; }
  const std::string& name() const { return name_; }

  // A mapped top-level window of the default visual, or of `visual`, without
  // a background of its own, so that what a program drew stays after the
  // program has ended.
  Window MakeWindow(int x, int y, int width, int height, const XVisualInfo* visual = nullptr) {
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    unsigned long mask = CWBackPixmap;
    if (visual != nullptr) {
      attributes.colormap = XCreateColormap(display_, root(), visual->visual, AllocNone);
      attributes.border_pixel = 0;
      mask |= CWColormap | CWBorderPixel;
    }
    const Window window =
        XCreateWindow(display_, root(), x, y, width, height, 0, visual ? visual->depth : CopyFromParent,
                      InputOutput, visual ? visual->visual : CopyFromParent, mask, &attributes);
    XMapWindow(display_, window);
    XSync(display_, False);
    return window;
  }

  // The window's pixels as the screen shows them; none for a window that
  // is gone.
  Image Grab(Window window) {
    const IgnoredErrors ignored(display_);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return {};
    Image image{attributes.width, attributes.height, {}};
    XImage* x = XGetImage(display_, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (x == nullptr) return {};
    image.rgb.reserve(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
      for (int col = 0; col < image.width; ++col) {
        const unsigned long pixel = XGetPixel(x, col, y);
        image.rgb.push_back(static_cast<std::uint8_t>((pixel & x->red_mask) >> 16));
        image.rgb.push_back(static_cast<std::uint8_t>((pixel & x->green_mask) >> 8));
        image.rgb.push_back(static_cast<std::uint8_t>(pixel & x->blue_mask));
      }
    XDestroyImage(x);
    return image;
  }

  // The viewable top-level window titled `title`, or 0.
  Window FindWindow(const std::string& title) {
    const IgnoredErrors ignored(display_);
    Window rootReturn, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (XQueryTree(display_, root(), &rootReturn, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display_, children[i], &name) && name != nullptr && title == name &&
            XGetWindowAttributes(display_, children[i], &attributes) && attributes.map_state == IsViewable)
          found = children[i];
        if (name != nullptr) XFree(name);
      }
    }
    if (children != nullptr) XFree(children);
    return found;
  }

 private:
  // The X errors of the test's requests while it lives, ignored: a window
  // may go while the test looks at it (a program makes its window again for
  // another OpenGL).
  class IgnoredErrors {
   public:
    explicit IgnoredErrors(Display* display) : display_(display) {
      XSync(display_, False);
      previous_ = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    ~IgnoredErrors() {
      XSync(display_, False);
      XSetErrorHandler(previous_);
    }

   private:
    Display* display_;
    XErrorHandler previous_;
  };

  pid_t pid_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

inline std::string Hex(unsigned long id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}
