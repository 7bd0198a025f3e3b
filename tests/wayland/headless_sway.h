// A headless sway of the test's own: its own runtime folder, outputs without
// a screen (pixman renders them), no XWayland, no input devices but those a
// test makes (virtual_input.h). sway refuses to run as root, so under root it
// runs as nobody; the test, as root, still reaches its sockets. The test's
// own environment points at it (WAYLAND_DISPLAY, XDG_RUNTIME_DIR, SWAYSOCK),
// so that the programs it starts, swaymsg and grim find it. A test may add
// lines to its configuration (programs that sway starts with `exec`, window
// rules) and programs of its own to the session's bin folder, which comes
// first in sway's PATH.
#pragma once

#include <glob.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "tests/support/test_process.h"

// Whether sway is installed; the session tests are skipped only without it.
inline bool SwayInstalled() { return std::system("command -v sway >/dev/null 2>&1") == 0; }

class HeadlessSway {
 public:
  // Starts sway with `outputs` headless outputs of 1280 x 720 and the lines
  // of `config` added to its configuration, once `prepare` has put what it
  // wants in the bin folder (a path it is given), and waits, bounded, until
  // it accepts clients and commands. Ready() says whether it did.
  explicit HeadlessSway(int outputs, const std::string& extraConfig = "",
                        const std::function<void(const std::string& bin)>& prepare = {}) {
    char folder[] = "/tmp/ombrel-sway.XXXXXX";
    if (mkdtemp(folder) == nullptr) return;
    runtime_ = folder;
    const bool root = getuid() == 0;
    if (root && chown(folder, 65534, 65534) != 0) return;
    const std::string config = runtime_ + "/config", bin = runtime_ + "/bin";
    {
      std::ofstream out(config);
      out << "xwayland disable\n" << extraConfig;
    }
    chmod(config.c_str(), 0644);
    mkdir(bin.c_str(), 0755);
    if (prepare) prepare(bin);
    std::vector<std::string> argv = {"env", "-i", "PATH=" + bin + ":/usr/bin:/bin", "XDG_RUNTIME_DIR=" + runtime_,
                                     "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                                     "WLR_HEADLESS_OUTPUTS=" + std::to_string(outputs), "sway", "-c", config};
    if (root) {
      const std::vector<std::string> asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
      argv.insert(argv.begin(), asNobody.begin(), asNobody.end());
    }
    sway_ = std::make_unique<Process>(argv);
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    ready_ = WaitFor([&] { return Sockets() || sway_->Ended(); }, 20s) && !sway_->Ended();
    if (!ready_) return;
    setenv("WAYLAND_DISPLAY", display_.c_str(), 1);
    setenv("SWAYSOCK", ipc_.c_str(), 1);
    ready_ = WaitFor([] { return std::system("swaymsg -t get_version >/dev/null 2>&1") == 0; }, 20s);
  }
  ~HeadlessSway() {
    if (sway_ && !sway_->Ended()) {
      kill(sway_->pid(), SIGTERM);
      sway_->WaitExit(5s);
    }
    sway_.reset();
    std::error_code ignored;
    if (!runtime_.empty()) std::filesystem::remove_all(runtime_, ignored);
  }
  HeadlessSway(const HeadlessSway&) = delete;
  HeadlessSway& operator=(const HeadlessSway&) = delete;

  bool Ready() const { return ready_; }
  // What sway wrote, for a failure's message.
  std::string Log() const { return sway_ ? sway_->Output() : ""; }
  Process& Compositor() { return *sway_; }
  const std::string& Runtime() const { return runtime_; }

  // Runs a sway command ("output HEADLESS-1 mode 1024x768"); true when sway
  // carried it out.
  static bool Command(const std::string& command) {
    return std::system(("swaymsg -q -- " + command + " >/dev/null 2>&1").c_str()) == 0;
  }

  // A screenshot of one output, as its pixels are (grim), with the cursor
  // drawn in where `cursor` is set; empty when none could be taken.
  Image Screenshot(const std::string& output, bool cursor = false) const {
    const std::string path = runtime_ + "/shot-" + output + ".png";
    std::remove(path.c_str());
    const std::string grim = cursor ? "grim -c -o " : "grim -o ";
    if (std::system((grim + output + " " + path + " 2>/dev/null").c_str()) != 0) return {};
    return ReadPng(path);
  }

 private:
  // Finds the Wayland socket and sway's command socket in the runtime folder.
  bool Sockets() {
    glob_t found{};
    std::string display;
    if (glob((runtime_ + "/wayland-[0-9]").c_str(), 0, nullptr, &found) == 0)
      display = std::filesystem::path(found.gl_pathv[0]).filename();
    globfree(&found);
    std::string ipc;
    if (glob((runtime_ + "/sway-ipc.*.sock").c_str(), 0, nullptr, &found) == 0) ipc = found.gl_pathv[0];
    globfree(&found);
    if (display.empty() || ipc.empty()) return false;
    display_ = display;
    ipc_ = ipc;
    return true;
  }

  std::string runtime_, display_, ipc_;
  std::unique_ptr<Process> sway_;
  bool ready_ = false;
};
