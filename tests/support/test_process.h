// What the end-to-end tests of the Linux programs share: programs started
// by the test and ended whatever happens, bounded waits, pictures and their
// pixels.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <png.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using TestClock = std::chrono::steady_clock;

// How soon a program must end once asked (a signal, an input): within a
// second, as a screen saver's user expects. A build with the sanitizers runs
// several times slower, the more so beside the other tests of a run, and is
// given three.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr TestClock::duration kPromptEnd = 3s;
#else
inline constexpr TestClock::duration kPromptEnd = 1s;
#endif

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
    output_ = ::testing::TempDir() + "program_output_" + std::to_string(getpid()) + "_" +
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

// Pixels of two pictures that differ by more than `levels` in some channel;
// every pixel of `b` when the sizes differ.
inline long PixelsBeyond(const Image& a, const Image& b, int levels) {
  if (a.width != b.width || a.height != b.height) return static_cast<long>(b.width) * b.height;
  long n = 0;
  for (size_t i = 0; i < a.rgb.size(); i += 3)
    n += std::abs(a.rgb[i] - b.rgb[i]) > levels || std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > levels ||
         std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > levels;
  return n;
}

// RGB pixels of a PNG file; empty when it cannot be read.
inline Image ReadPng(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  Image image;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
  png.format = PNG_FORMAT_RGB;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.rgb.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) return {};
  return image;
}
