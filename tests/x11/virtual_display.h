// What the X11 end-to-end tests share: a virtual X server of the test's own,
// programs started on it and ended whatever happens, windows and their
// pixels. Every wait is bounded.
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

using namespace std::chrono_literals;
using TestClock = std::chrono::steady_clock;

// Asks `done` every 20 ms until it holds or `limit` has passed.
inline bool WaitFor(const std::function<bool()>& done, TestClock::duration limit) {
  const TestClock::time_point end = TestClock::now() + limit;
  for (;;) {
    if (done()) return true;
    if (TestClock::now() >= end) return false;
    std::this_thread::sleep_for(20ms);
  }
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A program started by the test, with its stdout and stderr in a file. It is
// killed, and its exit collected, when the object goes unless it has ended.
class Process {
 public:
  // Starts argv[0] (searched in PATH) with `environment` added to the test's
  // and, where given, the signals of `blocked` blocked as it starts.
  Process(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
          const sigset_t* blocked = nullptr) {
    output_ = ::testing::TempDir() + "x11_test_output_" + std::to_string(getpid()) + "_" +
              std::to_string(counter_++) + ".txt";
    // The child starts with the mask, so that a signal sent to it at once is
    // held back; the test's own mask is restored after the fork.
    sigset_t previous;
    if (blocked != nullptr) pthread_sigmask(SIG_SETMASK, blocked, &previous);
    pid_ = fork();
    if (blocked != nullptr && pid_ != 0) pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (pid_ == 0) {
      const int out = open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      for (const std::string& variable : environment) putenv(const_cast<char*>(variable.c_str()));
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~Process() {
    if (!status_ && pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::remove(output_.c_str());
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t pid() const { return pid_; }

  // The exit code once the program has ended within `limit`; -1 for an end
  // by a signal, nothing while it still runs.
  std::optional<int> WaitExit(TestClock::duration limit) {
    WaitFor([&] { return Ended(); }, limit);
    if (!status_) return std::nullopt;
    return WIFEXITED(*status_) ? WEXITSTATUS(*status_) : -1;
  }

  bool Ended() {
    int status = 0;
    if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return status_.has_value();
  }

  // What it wrote on stdout and stderr so far.
  std::string Output() const { return ReadFile(output_); }

 private:
  static inline int counter_ = 0;
  pid_t pid_ = -1;
  std::optional<int> status_;
  std::string output_;
};

// Runs a program to its end (at most `limit`) and returns its exit code, or
// nothing when it had to be killed.
inline std::optional<int> RunToEnd(const std::vector<std::string>& argv, TestClock::duration limit,
                                   std::string* output = nullptr,
                                   const std::vector<std::string>& environment = {}) {
  Process process(argv, environment);
  const std::optional<int> code = process.WaitExit(limit);
  if (output != nullptr) *output = process.Output();
  return code;
}

// RGB pixels, top row first.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;

  const std::uint8_t* At(int x, int y) const { return &rgb[3 * (static_cast<size_t>(y) * width + x)]; }
  bool Lit(int x, int y) const {
    const std::uint8_t* p = At(x, y);
    return p[0] + p[1] + p[2] > 0;
  }
  int LitPixels() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += Lit(x, y);
    return n;
  }
  // The brightness-weighted centre of the lit pixels.
  void LitCentre(double& x, double& y) const {
    double sum = 0, sx = 0, sy = 0;
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column) {
        const std::uint8_t* p = At(column, row);
        const double weight = p[0] + p[1] + p[2];
        sum += weight;
        sx += weight * column;
        sy += weight * row;
      }
    x = sx / sum;
    y = sy / sum;
  }
};

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

  // The window's pixels as the screen shows them.
  Image Grab(Window window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window, &attributes);
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
    Window rootReturn, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display_, root(), &rootReturn, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      char* name = nullptr;
      XWindowAttributes attributes;
      if (XFetchName(display_, children[i], &name) && name != nullptr && title == name &&
          XGetWindowAttributes(display_, children[i], &attributes) && attributes.map_state == IsViewable)
        found = children[i];
      if (name != nullptr) XFree(name);
    }
    if (children != nullptr) XFree(children);
    return found;
  }

 private:
  pid_t pid_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

inline std::string Hex(unsigned long id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}
