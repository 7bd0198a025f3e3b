// ombrel-add-to-xscreensaver as a user runs it after installing: from a tree
// that `cmake --install` wrote into a scratch prefix, on a scratch HOME, never
// the user's own. XScreenSaver runs no programs for root, so a test run as
// root runs the command and the daemon as nobody, from a HOME nobody owns.
// The daemon reads the real defaults file of XScreenSaver's package.
#include <pwd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "tests/x11/virtual_display.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaults = "/etc/X11/app-defaults/XScreenSaver";

// Runs of spaces and tabs as one space, none at the ends.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\t';
    if (!blank) out += c;
    else if (!out.empty() && out.back() != ' ') out += ' ';
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The entries of the last `programs:` (or `*programs:`) resource of an
// XScreenSaver resource file, blanks squeezed, as XScreenSaver reads them:
// backslash-newline continues a line, `\n` ends an entry.
std::vector<std::string> Programs(const std::string& text) {
  std::vector<std::string> entries;
  size_t start = std::string::npos;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    if (text.compare(at, 9, "programs:") == 0 || text.compare(at, 10, "*programs:") == 0) start = at;
    at = end == std::string::npos ? text.size() : end + 1;
  }
  if (start == std::string::npos) return entries;
  std::string value;
  for (size_t at = text.find(':', start) + 1; at < text.size(); ++at) {
    if (text[at] == '\\' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    else if (text[at] == '\n') break;
    else value += text[at];
  }
  for (size_t at = 0; at <= value.size();) {
    size_t end = value.find("\\n", at);
    if (end == std::string::npos) end = value.size();
    const std::string entry = Squeezed(value.substr(at, end - at));
    if (!entry.empty()) entries.push_back(entry);
    at = end + 2;
  }
  return entries;
}

std::vector<std::string> Plus(std::vector<std::string> entries, const std::string& more) {
  entries.push_back(more);
  return entries;
}

class XScreenSaverList : public ::testing::Test {
 protected:
  void SetUp() override {
    char scratch[] = "/tmp/ombrel-xscreensaver-list-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    scratch_ = scratch;
    chmod(scratch, 0755);
    const fs::path prefix = scratch_ / "prefix";
    // As the program's component, so that the build tree's
    // install_manifest.txt keeps listing what the user installed.
    ASSERT_EQ(RunToEnd({OMBREL_CMAKE, "--install", OMBREL_BUILD_DIR, "--component", "x11", "--prefix",
                        prefix.string()}, 60s),
              0);
    command_ = prefix / "bin" / "ombrel-add-to-xscreensaver";
    hack_ = prefix / "libexec" / "xscreensaver" / "ombrel";
    home_ = scratch_ / "home";
    file_ = home_ / ".xscreensaver";
    backup_ = home_ / ".xscreensaver.ombrel-backup";
    fs::create_directory(home_);
    if (geteuid() == 0) {
      nobody_ = getpwnam("nobody");
      ASSERT_NE(nobody_, nullptr);
      Own(home_);
    }
    defaults_ = ReadFile(kDefaults);
    ASSERT_GT(Programs(defaults_).size(), 10u) << "the defaults of XScreenSaver's package, " << kDefaults;
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }

  // Gives `path` to the user the command runs as.
  void Own(const fs::path& path) {
    if (nobody_ == nullptr) return;
    ASSERT_EQ(lchown(path.c_str(), nobody_->pw_uid, nobody_->pw_gid), 0) << path;
  }

  // `argv` as the user whose HOME is the scratch one (nobody when root).
  std::vector<std::string> AsUser(std::vector<std::string> argv) const {
    if (nobody_ != nullptr) argv.insert(argv.begin(), {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    return argv;
  }

  // Runs the command with `arguments`; its exit code, and what it printed.
  int Run(const std::vector<std::string>& arguments, std::string* output) {
    std::vector<std::string> argv = {command_.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::optional<int> code = RunToEnd(AsUser(argv), 30s, output, {"HOME=" + home_.string()});
    return code.value_or(-1);
  }

  // Writes `text` as the user's ~/.xscreensaver.
  void WriteFile(const std::string& text, mode_t mode = 0644) {
    std::ofstream(file_, std::ios::binary) << text;
    chmod(file_.c_str(), mode);
    Own(file_);
  }

  // The entry that the command adds for this installation.
  std::string OmbrelEntry() const { return "GL: " + hack_.string() + " --root"; }

  fs::path scratch_, command_, hack_, home_, file_, backup_;
  const passwd* nobody_ = nullptr;
  std::string defaults_;
};

// One line, ending in a newline, that contains `words`.
::testing::AssertionResult OneLineSaying(const std::string& output, const std::string& words) {
  if (std::count(output.begin(), output.end(), '\n') != 1 || output.back() != '\n')
    return ::testing::AssertionFailure() << "not one line: " << output;
  if (output.find(words) == std::string::npos)
    return ::testing::AssertionFailure() << "'" << words << "' not in: " << output;
  return ::testing::AssertionSuccess();
}

TEST_F(XScreenSaverList, WithoutAFileItStartsFromTheDefaultsAndASecondRunChangesNothing) {
  std::string output;
  ASSERT_EQ(Run({}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "created " + file_.string()));
  const std::string made = ReadFile(file_);
  EXPECT_EQ(Programs(made), Plus(Programs(defaults_), OmbrelEntry()));
  EXPECT_FALSE(fs::exists(backup_)) << "nothing to back up";
  struct stat status {};
  ASSERT_EQ(stat(file_.c_str(), &status), 0);
  if (nobody_ != nullptr) {
    EXPECT_EQ(status.st_uid, nobody_->pw_uid);
  }

  ASSERT_EQ(Run({}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "already in the programs"));
  EXPECT_TRUE(OneLineSaying(output, "nothing changed"));
  EXPECT_EQ(ReadFile(file_), made);
  EXPECT_FALSE(fs::exists(backup_));

  ASSERT_EQ(Run({"--remove"}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "removed Ombrel (1 entry)"));
  EXPECT_EQ(Programs(ReadFile(file_)), Programs(defaults_));
  EXPECT_EQ(ReadFile(backup_), made);
  ASSERT_EQ(Run({"--remove"}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "not in the programs"));
}

// A file as xscreensaver-settings writes it: every other line stays as it
// was, the entry goes in after the last one, and --remove gives back the
// same bytes.
TEST_F(XScreenSaverList, AnExistingListGetsOneLineAndKeepsEverythingElse) {
  const std::string before =
      "# XScreenSaver Preferences File\n"
      "timeout:\t0:11:00\n"
      "lock:\t\tTrue\n"
      "mode:\t\tone\n"
      "selected:\t2\n"
      "\n"
      "programs:\t\t\t\t\t\t\t\t      \\\n"
      "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
      "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
      "  GL: \t\t\t\t\"Cubes\"  cubestack --root --speed 2\t    \\n\\\n"
      "\n"
      "\n"
      "pointerHysteresis:  10\n";
  WriteFile(before, 0600);
  std::string output;
  ASSERT_EQ(Run({}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "added Ombrel (" + hack_.string() + " --root)"));
  EXPECT_TRUE(OneLineSaying(output, "the previous file is " + backup_.string()));

  const std::string last = "cubestack --root --speed 2\t    \\n\\\n";
  std::string expected = before;
  expected.insert(expected.find(last) + last.size(),
                  "  GL: \t\t\t\t" + hack_.string() + " --root\t\t\t\t    \\n\\\n");
  EXPECT_EQ(ReadFile(file_), expected);
  EXPECT_EQ(ReadFile(backup_), before);
  EXPECT_EQ(fs::status(file_).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  ASSERT_EQ(Run({"--remove"}, &output), 0) << output;
  EXPECT_EQ(ReadFile(file_), before);
  EXPECT_EQ(ReadFile(backup_), expected);
}

// The defaults' last line has no continuation, and a hand-written file may
// end its list without `\n`.
TEST_F(XScreenSaverList, ListsEndedWithoutAContinuationOrWithoutANewlineEscape) {
  const std::string start = "programs:\t\\\n\t\tmaze --root \\n\\\n";
  const std::string ombrel = "  GL: \t\t\t\t" + hack_.string() + " --root\t\t\t\t    \\n";
  struct Case {
    std::string before, added, removed;
  } cases[] = {
      {start + "\t\tqix --root \\n\ndpmsEnabled: False\n",
       start + "\t\tqix --root \\n\\\n" + ombrel + "\ndpmsEnabled: False\n",
       start + "\t\tqix --root \\n\ndpmsEnabled: False\n"},
      {start + "\t\tqix --root\n", start + "\t\tqix --root\\n\\\n" + ombrel + "\n",
       start + "\t\tqix --root\\n\n"},
  };
  for (const Case& c : cases) {
    WriteFile(c.before);
    std::string output;
    ASSERT_EQ(Run({}, &output), 0) << output;
    EXPECT_EQ(ReadFile(file_), c.added);
    ASSERT_EQ(Run({"--remove"}, &output), 0) << output;
    EXPECT_EQ(ReadFile(file_), c.removed);
  }
}

// Settings of the user's own but no list: XScreenSaver shows its defaults'
// programs, so the file gets those before Ombrel joins them.
TEST_F(XScreenSaverList, AFileWithoutAListGetsTheDefaultsListAfterItsSettings) {
  const std::string before = "timeout:\t0:05:00\nlock:\t\tFalse";
  WriteFile(before);
  std::string output;
  ASSERT_EQ(Run({}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "added XScreenSaver's " + std::to_string(Programs(defaults_).size()) +
                                        " programs from " + kDefaults));
  const std::string after = ReadFile(file_);
  EXPECT_EQ(after.substr(0, before.size() + 1), before + "\n");
  EXPECT_EQ(Programs(after), Plus(Programs(defaults_), OmbrelEntry()));
  EXPECT_EQ(ReadFile(backup_), before);
}

// An entry that runs ombrel, switched off or by another path, counts as
// listed; --remove takes out every one, the first entry of the list too.
TEST_F(XScreenSaverList, OmbrelListedAlreadyIsLeftAloneAndRemovedWherever) {
  const std::string before =
      "programs:\t\\\n"
      "- GL: \t\tombrel --root --particles 2050 \\n\\\n"
      "\t\tmaze --root \\n\\\n"
      "  GL: \t\t/usr/local/libexec/xscreensaver/ombrel --root \\n\\\n"
      "-\t\tqix --root \\n\n";
  WriteFile(before);
  std::string output;
  ASSERT_EQ(Run({}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "nothing changed"));
  EXPECT_EQ(ReadFile(file_), before);

  ASSERT_EQ(Run({"--remove"}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "removed Ombrel (2 entries)"));
  EXPECT_EQ(ReadFile(file_), "programs:\t\\\n\t\tmaze --root \\n\\\n-\t\tqix --root \\n\n");

  WriteFile("programs: - GL: ombrel --root \\n\n");
  ASSERT_EQ(Run({}, &output), 0) << output;
  EXPECT_TRUE(OneLineSaying(output, "switched off there"));
}

// What it must not change: a link into somewhere else, a file the user may
// not write, a HOME the user may not write into; and root's list.
TEST_F(XScreenSaverList, RefusesWithOneLineAndChangesNothing) {
  const std::string text = "programs:\t\\\n\t\tmaze --root \\n\n";
  const fs::path target = scratch_ / "dotfiles-xscreensaver";
  std::ofstream(target) << text;
  Own(target);
  fs::create_symlink(target, file_);
  Own(file_);
  std::string output;
  EXPECT_EQ(Run({}, &output), 1);
  EXPECT_TRUE(OneLineSaying(output, "is a symbolic link"));
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(ReadFile(target), text);
  EXPECT_EQ(Run({"--remove"}, &output), 1);

  fs::remove(file_);
  WriteFile(text, 0444);
  EXPECT_EQ(Run({}, &output), 1);
  EXPECT_TRUE(OneLineSaying(output, "not readable and writable"));
  EXPECT_EQ(ReadFile(file_), text);

  fs::remove(file_);
  chmod(home_.c_str(), 0555);
  EXPECT_EQ(Run({}, &output), 1);
  EXPECT_TRUE(OneLineSaying(output, "cannot write in " + home_.string()));
  EXPECT_FALSE(fs::exists(file_));
  EXPECT_EQ(std::distance(fs::directory_iterator(home_), fs::directory_iterator()), 0) << "no file left behind";
  chmod(home_.c_str(), 0755);

  EXPECT_EQ(Run({"--frobnicate"}, &output), 2);
  EXPECT_TRUE(OneLineSaying(output, "(see ombrel-add-to-xscreensaver --help)"));
  if (geteuid() == 0) {
    const std::optional<int> code = RunToEnd({command_.string()}, 30s, &output, {"HOME=" + home_.string()});
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(OneLineSaying(output, "running as root"));
    EXPECT_FALSE(fs::exists(file_));
  }
}

// The real daemon, started before the command as a user's session would
// have it: choosing the new entry runs this installation's ombrel, and after
// --remove the list is the defaults' again.
TEST_F(XScreenSaverList, TheDaemonRunsTheAddedEntry) {
  VirtualDisplay screen(800, 600);
  ASSERT_NE(screen.display(), nullptr) << "Xvfb did not start";
  const std::vector<std::string> environment = {screen.Variable(), "HOME=" + home_.string()};
  Process daemon(AsUser({"xscreensaver", "--no-splash", "--verbose"}), environment);
  auto command = [&](const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {"xscreensaver-command"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunToEnd(argv, 10s, nullptr, environment) == 0;
  };
  auto ombrelPid = [&] {
    std::string output;
    RunToEnd({"pgrep", "-f", "^" + hack_.string() + " --root"}, 5s, &output);
    return static_cast<pid_t>(std::atol(output.c_str()));
  };
  ASSERT_TRUE(WaitFor([&] { return daemon.Ended() || command({"-time"}); }, 20s));
  ASSERT_FALSE(daemon.Ended()) << daemon.Output();

  std::string output;
  ASSERT_EQ(Run({}, &output), 0) << output;
  const std::vector<std::string> listed = Programs(ReadFile(file_));
  ASSERT_EQ(listed.back(), OmbrelEntry());
  // -select counts from 1, switched-off entries too.
  ASSERT_TRUE(command({"-select", std::to_string(listed.size())}));
  EXPECT_TRUE(WaitFor([&] { return ombrelPid() != 0; }, 20s)) << "no ombrel started\n" << daemon.Output();
  int lit = 0;
  EXPECT_TRUE(WaitFor([&] { return (lit = screen.Grab(screen.root()).LitPixels()) > 20000; }, 20s))
      << "the scene on the screen: " << lit << " lit pixels";
  ASSERT_TRUE(command({"-deactivate"}));
  EXPECT_TRUE(WaitFor([&] { return ombrelPid() == 0; }, 10s)) << "ombrel still runs";

  ASSERT_EQ(Run({"--remove"}, &output), 0) << output;
  EXPECT_EQ(Programs(ReadFile(file_)), Programs(defaults_));

  kill(daemon.pid(), SIGTERM);
  EXPECT_TRUE(daemon.WaitExit(5s).has_value());
  if (HasFailure()) std::printf("the daemon's output:\n%s", daemon.Output().c_str());
}

}  // namespace
