// The real XScreenSaver daemon runs this build's ombrel: on a virtual X
// server of the test's own, with a scratch HOME whose .xscreensaver names
// `ombrel --root` as its only program, on each path that serves its window
// (--gl glx-es, --gl glx; EGL names no configuration for its visual).
// The user's own HOME and .xscreensaver are never touched. XScreenSaver
// refuses to run hacks as root, so a test run as root runs the daemon as
// nobody, from a scratch HOME that nobody owns and with a copy of ombrel and
// ombrel-glx there (the build tree may be closed to nobody).
#include <pwd.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "tests/x11/virtual_display.h"

namespace {

namespace fs = std::filesystem;

// One program, chosen always, no lock, no fade, no splash, never blanking by
// itself and never cycling to another program. It runs at the tests' own
// priority rather than XScreenSaver's nice 10, so that the tests running
// beside it cannot starve it past the test's time limits. --verbose has
// ombrel say which OpenGL draws, into the daemon's output.
std::string ScreensaverSettings(const fs::path& ombrel, const std::string& gl) {
  return "mode:\t\tone\n"
         "nice:\t\t0\n"
         "selected:\t0\n"
         "lock:\t\tFalse\n"
         "fade:\t\tFalse\n"
         "unfade:\t\tFalse\n"
         "splash:\t\tFalse\n"
         "timeout:\t8:00:00\n"
         "cycle:\t\t0:00:00\n"
         "dpmsEnabled:\tFalse\n"
         "programs:\t\\\n"
         "\t\tGL: " + ombrel.string() + " --root --verbose --gl " + gl + " \\n\\\n\n";
}

class ScreensaverDaemon : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    ASSERT_NE(screen_.display(), nullptr) << "Xvfb did not start";
    char scratch[] = "/tmp/ombrel-xscreensaver-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    home_ = scratch;
    ombrel_ = home_ / "ombrel";
    fs::copy_file(OMBREL_HACK_PATH, ombrel_);
    fs::copy_file(fs::path(OMBREL_HACK_PATH).parent_path() / "ombrel-glx", home_ / "ombrel-glx");
    std::ofstream(home_ / ".xscreensaver") << ScreensaverSettings(ombrel_, GetParam());
    chmod(home_.c_str(), 0755);

    std::vector<std::string> daemon = {"xscreensaver", "--no-splash", "--verbose"};
    if (geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      ASSERT_NE(nobody, nullptr);
      for (const fs::path& path : {home_, home_ / "ombrel", home_ / "ombrel-glx", home_ / ".xscreensaver"})
        ASSERT_EQ(chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0) << path;
      daemon.insert(daemon.begin(), {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    }
    daemon_ = std::make_unique<Process>(daemon, Environment());
  }

  void TearDown() override {
    if (daemon_ != nullptr && !daemon_->Ended()) {
      kill(daemon_->pid(), SIGTERM);
      if (!daemon_->WaitExit(5s)) kill(daemon_->pid(), SIGKILL);
    }
    // The daemon's helpers and the hack end with the X server, which goes with
    // the fixture; their files go now.
    if (HasFailure() && daemon_ != nullptr) std::printf("the daemon's output:\n%s", daemon_->Output().c_str());
    std::error_code ignored;
    fs::remove_all(home_, ignored);
  }

  std::vector<std::string> Environment() const {
    std::vector<std::string> environment = {screen_.Variable(), "HOME=" + home_.string()};
    if (const char* asan = std::getenv("ASAN_OPTIONS")) environment.push_back(std::string("ASAN_OPTIONS=") + asan);
    return environment;
  }

  // Runs xscreensaver-command with `command`; true when the daemon took it.
  bool Command(const std::string& command) {
    return RunToEnd({"xscreensaver-command", command}, 10s, nullptr, Environment()) == 0;
  }

  // The process id of this test's ombrel (found by its scratch path, as
  // ombrel or, once it has handed over, ombrel-glx), or 0.
  pid_t OmbrelPid() const {
    std::string output;
    RunToEnd({"pgrep", "-f", "^" + ombrel_.string() + "(-glx)? "}, 5s, &output);
    return static_cast<pid_t>(std::atol(output.c_str()));
  }

  VirtualDisplay screen_{800, 600};
  fs::path home_, ombrel_;
  std::unique_ptr<Process> daemon_;
};

TEST_P(ScreensaverDaemon, ActivateShowsTheSceneAndDeactivateEndsIt) {
  // The daemon answers once it has started.
  ASSERT_TRUE(WaitFor([&] { return daemon_->Ended() || Command("--activate"); }, 20s));
  ASSERT_FALSE(daemon_->Ended()) << daemon_->Output();

  pid_t ombrel = 0;
  EXPECT_TRUE(WaitFor([&] { return (ombrel = OmbrelPid()) != 0; }, 10s)) << "no ombrel started";

  // The turning cube in the middle of a black screen, moving. (When a hack
  // fails, XScreenSaver shows a line of red text across the middle instead.)
  int lit = 0;
  double x = 0, y = 0;
  EXPECT_TRUE(WaitFor(
      [&] {
        const Image shown = screen_.Grab(screen_.root());
        if ((lit = shown.LitPixels()) < 30000 || shown.Lit(0, 0)) return false;
        shown.LitCentre(x, y);
        if (std::abs(x - 400) > 40 || std::abs(y - 300) > 40) return false;
        std::this_thread::sleep_for(200ms);
        return std::memcmp(shown.rgb.data(), screen_.Grab(screen_.root()).rgb.data(), shown.rgb.size()) != 0;
      },
      10s))
      << "the scene in the middle of a black screen: " << lit << " lit pixels around " << x << ", " << y;
  EXPECT_EQ(OmbrelPid(), ombrel) << "the same ombrel still runs";
  // Drawn with the path asked for, into XScreenSaver's window (a 32-bit
  // visual with alpha).
  const std::regex said(std::string(GetParam()) == "glx-es"
                            ? "ombrel: drawing with OpenGL ES 3 through GLX on .+, frames shown by glXSwapBuffers\n"
                            : "ombrel: drawing with OpenGL 1.1 through GLX on .+, frames shown by glXSwapBuffers\n");
  EXPECT_TRUE(WaitFor([&] { return std::regex_search(daemon_->Output(), said); }, 5s)) << daemon_->Output();

  // The daemon ends its graphics helper, which ends ombrel; on a busy machine
  // that takes it seconds.
  ASSERT_TRUE(Command("--deactivate"));
  EXPECT_TRUE(WaitFor([&] { return OmbrelPid() == 0; }, 20s)) << "ombrel still runs";
}

INSTANTIATE_TEST_SUITE_P(Gl, ScreensaverDaemon, ::testing::Values("glx-es", "glx"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param) == "glx-es" ? "GlxEs" : "Glx";
                         });

}  // namespace
