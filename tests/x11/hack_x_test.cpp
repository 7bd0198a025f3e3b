// The real ombrel on a virtual X server of each test's own: its own window,
// a window of the test (--window-id), the window of XSCREENSAVER_WINDOW
// (--root), the same pixels as ombrel-frames, the frame-rate corner, the
// render scale, the steps at each frame rate, and how it ends; each on every
// path of --gl (glx-es, egl, glx), and where a path cannot serve a window,
// the next one with the same picture.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>

#include "tests/x11/virtual_display.h"

// After GoogleTest, whose names Xlib's macros (None, Bool) would spoil.
#include <GL/glx.h>
#include <X11/keysym.h>

namespace {

constexpr std::uint32_t kClock = 1700000000;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : line + " ") {
    if (c != ' ') word += c;
    else if (!word.empty()) words.push_back(std::move(word)), word.clear();
  }
  return words;
}

// The command line of ombrel with the arguments of `line`, drawing with
// `gl` (glx-es, egl, glx; auto when empty).
std::vector<std::string> Ombrel(const std::string& line, const std::string& gl = "") {
  std::vector<std::string> argv = Words(line);
  argv.insert(argv.begin(), OMBREL_HACK_PATH);
  if (!gl.empty()) argv.insert(argv.end(), {"--gl", gl});
  return argv;
}

// `text` as a regular expression that matches it alone.
std::string Literal(const std::string& text) {
  return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

// What --verbose says each path draws with, as a regular expression: the
// renderer's name differs between machines.
std::string DrawingLine(const std::string& gl) {
  if (gl == "glx-es") return "ombrel: drawing with OpenGL ES 3 through GLX on .+, frames shown by glXSwapBuffers\n";
  if (gl == "egl")
    return "ombrel: drawing with OpenGL ES 3 through EGL on .+, frames shown by eglSwapBuffers on a window "
           "surface\n";
  return "ombrel: drawing with OpenGL 1.1 through GLX on .+, frames shown by glXSwapBuffers\n";
}

// What --verbose says at the end: the steps taken and the frames drawn.
std::string StepsLine(const std::string& taken, const std::string& drawn) {
  return "ombrel: steps taken: " + taken + ", frames drawn: " + drawn + "\n";
}

// What --verbose says for one frame drawn with `gl`.
std::string VerboseLine(const std::string& gl) { return DrawingLine(gl) + StepsLine("1", "1"); }

// What --verbose or --fps say where a path is passed over for `next`
// ("OpenGL ES 3 through EGL"), the cause starting with `cause`.
std::string PassedOver(const std::string& cause, const std::string& next) {
  return "ombrel: " + Literal(cause) + ".*; drawing with " + Literal(next) + " instead\n";
}

// The number of pixels that differ, counting only those for which `counted`
// holds.
int Differences(const Image& a, const Image& b, const std::function<bool(int, int)>& counted) {
  int n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      n += counted(x, y) && std::memcmp(a.At(x, y), b.At(x, y), 3) != 0;
  return n;
}

// `small` scaled up to width x height as a linear filter does it: each
// pixel's centre mapped into `small`, the four pixels around that point
// weighed by their nearness, the edges repeated outwards.
Image ScaledUp(const Image& small, int width, int height) {
  Image big{width, height, std::vector<std::uint8_t>(3 * static_cast<size_t>(width) * height)};
  auto clamped = [](int i, int size) { return std::clamp(i, 0, size - 1); };
  for (int y = 0; y < height; ++y) {
    const double v = (y + 0.5) * small.height / height - 0.5;
    const int y0 = static_cast<int>(std::floor(v));
    const double fy = v - y0;
    for (int x = 0; x < width; ++x) {
      const double u = (x + 0.5) * small.width / width - 0.5;
      const int x0 = static_cast<int>(std::floor(u));
      const double fx = u - x0;
      const std::uint8_t* p00 = small.At(clamped(x0, small.width), clamped(y0, small.height));
      const std::uint8_t* p10 = small.At(clamped(x0 + 1, small.width), clamped(y0, small.height));
      const std::uint8_t* p01 = small.At(clamped(x0, small.width), clamped(y0 + 1, small.height));
      const std::uint8_t* p11 = small.At(clamped(x0 + 1, small.width), clamped(y0 + 1, small.height));
      for (int c = 0; c < 3; ++c) {
        const double top = p00[c] * (1 - fx) + p10[c] * fx, bottom = p01[c] * (1 - fx) + p11[c] * fx;
        big.rgb[3 * (static_cast<size_t>(y) * width + x) + c] =
            static_cast<std::uint8_t>(std::lround(top * (1 - fy) + bottom * fy));
      }
    }
  }
  return big;
}

// The lit pixels' bounding box, as width over height; 0 when none is lit.
double LitAspect(const Image& image) {
  int left = image.width, right = -1, top = image.height, bottom = -1;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (image.Lit(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  return right < 0 ? 0 : static_cast<double>(right - left + 1) / (bottom - top + 1);
}

// A virtual X server for a test, started with `server` options, and ombrel
// on it, drawing with `gl_`.
class HackTest : public ::testing::Test {
 protected:
  explicit HackTest(const std::vector<std::string>& server = {}) : screen_(1024, 768, server) {}

  void SetUp() override { ASSERT_NE(screen_.display(), nullptr) << "Xvfb did not start"; }

  std::vector<std::string> Ombrel(const std::string& line) const { return ::Ombrel(line, gl_); }

  // Starts ombrel on the test's display.
  std::unique_ptr<Process> Start(const std::string& line, const std::vector<std::string>& environment = {}) {
    std::vector<std::string> variables = environment;
    variables.push_back(screen_.Variable());
    return std::make_unique<Process>(Ombrel(line), variables);
  }

  // Waits for ombrel's own window to be shown; 0 when it is not.
  Window WaitOwnWindow() {
    Window window = 0;
    WaitFor([&] { return (window = screen_.FindWindow("Ombrel")) != 0; }, 10s);
    return window;
  }

  // Waits until ombrel's own window is shown lit, which may be the second
  // it made, after a path passed over.
  bool WaitOwnWindowLit() {
    return WaitFor(
        [&] {
          const Window window = screen_.FindWindow("Ombrel");
          return window != 0 && screen_.Grab(window).LitPixels() >= 500;
        },
        10s);
  }

  // Waits until `window` shows at least `pixels` lit pixels.
  bool WaitLit(Window window, int pixels = 500) {
    return WaitFor([&] { return screen_.Grab(window).LitPixels() >= pixels; }, 10s);
  }

  // Runs ombrel to its end into a window of the test, expecting it to say
  // what the regular expression `said` matches, and grabs the window.
  Image DrawInto(Window window, const std::string& line, const std::string& said = "",
                 const std::vector<std::string>& environment = {}) {
    std::string output;
    std::vector<std::string> variables = environment;
    variables.push_back(screen_.Variable());
    const std::optional<int> code =
        RunToEnd(Ombrel("--window-id " + Hex(window) + " " + line), 30s, &output, variables);
    EXPECT_EQ(code, 0) << line << ": " << output;
    EXPECT_TRUE(std::regex_match(output, std::regex(said))) << line << " said:\n" << output << "expected:\n" << said;
    return screen_.Grab(window);
  }

  // Runs ombrel to its end, expecting it to fail with code 1 and one line
  // that the regular expression `said` matches.
  void ExpectRefused(const std::string& line, const std::string& said,
                     const std::vector<std::string>& environment = {}) {
    std::string output;
    std::vector<std::string> variables = environment;
    variables.push_back(screen_.Variable());
    EXPECT_EQ(RunToEnd(Ombrel(line), 30s, &output, variables), 1) << line << ": " << output;
    EXPECT_TRUE(std::regex_match(output, std::regex(said))) << line << " said:\n" << output << "expected:\n" << said;
  }

  // Whether `shown` is the first frame of `settings` as ombrel-frames writes it.
  static bool IsFirstFrame(const Image& shown, const std::string& settings = "") {
    return Differences(shown, Written(FirstFrame(settings)), [](int, int) { return true; }) == 0;
  }

  // A window with a double-buffered 32-bit RGBA visual of GLX, such as
  // XScreenSaver gives its GL hacks; 0 when the server has none.
  Window MakeDeepWindow() {
    XVisualInfo wanted{};
    wanted.depth = 32;
    int count = 0;
    XVisualInfo* visuals = XGetVisualInfo(screen_.display(), VisualDepthMask, &wanted, &count);
    Window window = 0;
    for (int i = 0; i < count && window == 0; ++i) {
      int useGl = 0, rgba = 0, doubleBuffered = 0;
      glXGetConfig(screen_.display(), &visuals[i], GLX_USE_GL, &useGl);
      glXGetConfig(screen_.display(), &visuals[i], GLX_RGBA, &rgba);
      glXGetConfig(screen_.display(), &visuals[i], GLX_DOUBLEBUFFER, &doubleBuffered);
      if (useGl && rgba && doubleBuffered) window = screen_.MakeWindow(0, 0, 320, 240, &visuals[i]);
    }
    if (visuals != nullptr) XFree(visuals);
    return window;
  }

  // What ombrel-frames writes for the scenario of `line` at width x height
  // (320 x 240) as its frame `frame`.
  static Image Written(const std::string& line, int frame = 1, int width = 320, int height = 240) {
    const std::filesystem::path out =
        std::filesystem::path(::testing::TempDir()) / ("ombrel_same_scene_" + std::to_string(getpid()));
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::vector<std::string> frames =
        Words(line + " --size " + size + " --every " + std::to_string(frame) + " --out " + out.string());
    frames.insert(frames.begin(), OMBREL_FRAMES_PATH);
    std::string output;
    EXPECT_EQ(RunToEnd(frames, 60s, &output), 0) << output;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    const Image written = ReadPng((out / name).string());
    std::filesystem::remove_all(out);
    EXPECT_EQ(written.width, width);
    EXPECT_EQ(written.height, height);
    EXPECT_GT(written.LitPixels(), width * height / 80);
    return written;
  }

  // The first frame of `settings` at the tests' clock.
  static std::string FirstFrame(const std::string& settings) {
    return settings + " --clock " + std::to_string(kClock) + " --frames 1";
  }

  // A key press sent to `window`, as the X server would deliver it.
  void Press(Window window, KeySym key) {
    XKeyEvent event{};
    event.type = KeyPress;
    event.display = screen_.display();
    event.window = window;
    event.root = screen_.root();
    event.same_screen = True;
    event.keycode = XKeysymToKeycode(screen_.display(), key);
    XSendEvent(screen_.display(), window, True, KeyPressMask, reinterpret_cast<XEvent*>(&event));
    XFlush(screen_.display());
  }

  // The window manager's close of `window`.
  void Close(Window window) {
    XClientMessageEvent event{};
    event.type = ClientMessage;
    event.window = window;
    event.message_type = XInternAtom(screen_.display(), "WM_PROTOCOLS", False);
    event.format = 32;
    event.data.l[0] = static_cast<long>(XInternAtom(screen_.display(), "WM_DELETE_WINDOW", False));
    XSendEvent(screen_.display(), window, False, NoEventMask, reinterpret_cast<XEvent*>(&event));
    XFlush(screen_.display());
  }

  VirtualDisplay screen_;
  std::string gl_;
};

// The paths, by the names of --gl.
const char* const kGls[] = {"glx-es", "egl", "glx"};

std::string GlName(const std::string& gl) { return gl == "glx-es" ? "GlxEs" : gl == "egl" ? "Egl" : "Glx"; }

// A test on each path.
class HackOnX : public HackTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    gl_ = GetParam();
    HackTest::SetUp();
  }
};

INSTANTIATE_TEST_SUITE_P(Gl, HackOnX, ::testing::ValuesIn(kGls),
                         [](const ::testing::TestParamInfo<const char*>& info) { return GlName(info.param); });

// The tests whose path does not matter run with the default.
using HackOnAnyGl = HackTest;

TEST_P(HackOnX, ItsOwnWindowShowsTheMovingScene) {
  auto ombrel = Start("--particles 2050");
  const Window window = WaitOwnWindow();
  ASSERT_NE(window, 0u) << ombrel->Output();
  XWindowAttributes attributes;
  XGetWindowAttributes(screen_.display(), window, &attributes);
  EXPECT_EQ(attributes.width, 1024);
  EXPECT_EQ(attributes.height, 768);

  ASSERT_TRUE(WaitLit(window, 2000));
  const Image first = screen_.Grab(window);
  std::this_thread::sleep_for(300ms);
  const Image second = screen_.Grab(window);
  EXPECT_GT(Differences(first, second, [](int, int) { return true; }), 1000) << "the scene moves";
  EXPECT_FALSE(ombrel->Ended()) << ombrel->Output();
}

// How the program is asked to end, and whether only its own window hears it.
enum class Ask { kEscape, kQ, kClose, kTerminate, kInterrupt };

class HackEnds : public HackTest, public ::testing::WithParamInterface<std::tuple<const char*, Ask>> {
 protected:
  void SetUp() override {
    gl_ = std::get<0>(GetParam());
    HackTest::SetUp();
  }
};

std::string AskName(Ask ask) {
  const char* names[] = {"Escape", "Q", "Close", "Sigterm", "Sigint"};
  return names[static_cast<int>(ask)];
}

void PrintTo(Ask ask, std::ostream* out) { *out << AskName(ask); }

TEST_P(HackEnds, ItsOwnWindowEndsWithZero) {
  const Ask ask = std::get<1>(GetParam());
  auto ombrel = Start("");
  const Window window = WaitOwnWindow();
  ASSERT_NE(window, 0u) << ombrel->Output();
  ASSERT_TRUE(WaitLit(window));
  const TestClock::time_point asked = TestClock::now();
  switch (ask) {
    case Ask::kEscape: Press(window, XK_Escape); break;
    case Ask::kQ: Press(window, XK_q); break;
    case Ask::kClose: Close(window); break;
    case Ask::kTerminate: kill(ombrel->pid(), SIGTERM); break;
    case Ask::kInterrupt: kill(ombrel->pid(), SIGINT); break;
  }
  EXPECT_EQ(ombrel->WaitExit(3s), 0) << ombrel->Output();
  if (ask == Ask::kTerminate || ask == Ask::kInterrupt) {
    // Within a frame; the bound leaves room for a loaded machine and a
    // sanitized build, whose frames and exit are many times slower.
    EXPECT_LT(TestClock::now() - asked, kPromptEnd) << "a signal ends it promptly";
  }
  EXPECT_EQ(ombrel->Output(), "");
  EXPECT_TRUE(WaitFor([&] { return screen_.FindWindow("Ombrel") == 0; }, 2s));
}

INSTANTIATE_TEST_SUITE_P(
    Asks, HackEnds,
    ::testing::Combine(::testing::ValuesIn(kGls),
                       ::testing::Values(Ask::kEscape, Ask::kQ, Ask::kClose, Ask::kTerminate, Ask::kInterrupt)),
    [](const ::testing::TestParamInfo<std::tuple<const char*, Ask>>& info) {
      return GlName(std::get<0>(info.param)) + AskName(std::get<1>(info.param));
    });

TEST_F(HackOnAnyGl, OtherKeysDoNotEndItsOwnWindow) {
  auto ombrel = Start("");
  const Window window = WaitOwnWindow();
  ASSERT_NE(window, 0u) << ombrel->Output();
  ASSERT_TRUE(WaitLit(window));
  Press(window, XK_space);
  EXPECT_FALSE(ombrel->WaitExit(500ms)) << "space is no end key";
}

TEST_P(HackOnX, AGivenWindowGetsTheSceneFollowsItsSizeAndItsDestructionEndsIt) {
  const Image rootBefore = screen_.Grab(screen_.root());
  const Window window = screen_.MakeWindow(100, 50, 320, 240);
  auto ombrel = Start("--window-id " + std::to_string(window) + " --particles 50 --clock " +
                      std::to_string(kClock));
  ASSERT_TRUE(WaitLit(window, 300));

  // Only the window changed on the screen.
  const Image rootDuring = screen_.Grab(screen_.root());
  const auto outside = [](int x, int y) { return x < 100 || x >= 420 || y < 50 || y >= 290; };
  EXPECT_EQ(Differences(rootBefore, rootDuring, outside), 0);
  double x = 0, y = 0;
  screen_.Grab(window).LitCentre(x, y);
  EXPECT_NEAR(x, 160, 16);
  EXPECT_NEAR(y, 120, 12);

  // Grown: the scene moves to the new centre.
  XResizeWindow(screen_.display(), window, 600, 200);
  XSync(screen_.display(), False);
  EXPECT_TRUE(WaitFor(
      [&] {
        screen_.Grab(window).LitCentre(x, y);
        return std::abs(x - 300) < 30 && std::abs(y - 100) < 10;
      },
      5s))
      << "lit centre at " << x << ", " << y;

  XDestroyWindow(screen_.display(), window);
  XSync(screen_.display(), False);
  EXPECT_EQ(ombrel->WaitExit(3s), 0);
  EXPECT_EQ(ombrel->Output(), "") << "no X error text";
}

// The window id in XSCREENSAVER_WINDOW in hexadecimal (true) or decimal.
class HackOnScreensaverWindow : public HackTest,
                                public ::testing::WithParamInterface<std::tuple<const char*, bool>> {
 protected:
  void SetUp() override {
    gl_ = std::get<0>(GetParam());
    HackTest::SetUp();
  }
};

TEST_P(HackOnScreensaverWindow, RootDrawsIntoTheWindowOfXScreensaverWindow) {
  const Window window = screen_.MakeWindow(0, 0, 400, 300);
  const Image rootBefore = screen_.Grab(screen_.root());
  const std::string id = std::get<1>(GetParam()) ? Hex(window) : std::to_string(window);
  auto ombrel = Start("-root", {"XSCREENSAVER_WINDOW=" + id});
  EXPECT_TRUE(WaitLit(window)) << "XSCREENSAVER_WINDOW=" << id << ": " << ombrel->Output();
  const auto outside = [](int x, int y) { return x >= 400 || y >= 300; };
  EXPECT_EQ(Differences(rootBefore, screen_.Grab(screen_.root()), outside), 0);
  kill(ombrel->pid(), SIGTERM);
  EXPECT_EQ(ombrel->WaitExit(3s), 0);
}

INSTANTIATE_TEST_SUITE_P(HexAndDecimal, HackOnScreensaverWindow,
                         ::testing::Combine(::testing::ValuesIn(kGls), ::testing::Values(true, false)),
                         [](const ::testing::TestParamInfo<std::tuple<const char*, bool>>& info) {
                           return GlName(std::get<0>(info.param)) + (std::get<1>(info.param) ? "Hex" : "Decimal");
                         });

TEST_P(HackOnX, RootWithoutXScreensaverWindowDrawsOnTheRootWindow) {
  auto ombrel = Start("--root");
  double x = 0, y = 0;
  EXPECT_TRUE(WaitFor(
      [&] {
        const Image root = screen_.Grab(screen_.root());
        if (root.LitPixels() < 1000 || root.Lit(0, 0)) return false;  // the scene on black
        root.LitCentre(x, y);
        return std::abs(x - 512) < 40 && std::abs(y - 384) < 40;
      },
      10s))
      << "lit centre at " << x << ", " << y;
  kill(ombrel->pid(), SIGTERM);
  EXPECT_EQ(ombrel->WaitExit(3s), 0);
}

// The settings of a first frame, on each path.
class SameScene : public HackTest, public ::testing::WithParamInterface<std::tuple<const char*, const char*>> {
 protected:
  void SetUp() override {
    gl_ = std::get<0>(GetParam());
    HackTest::SetUp();
  }
};

TEST_P(SameScene, ItsFirstFrameIsWhatOmbrelFramesWrites) {
  const std::string frame = FirstFrame(std::get<1>(GetParam()));
  // --verbose also says which path drew it.
  const Image shown = DrawInto(screen_.MakeWindow(0, 0, 320, 240), frame + " --verbose", VerboseLine(gl_));
  EXPECT_EQ(Differences(shown, Written(frame), [](int, int) { return true; }), 0);
}

std::string SameSceneName(const ::testing::TestParamInfo<std::tuple<const char*, const char*>>& info) {
  const char* names[] = {"Defaults", "GrowingSphere", "OpenCube"};
  return GlName(std::get<0>(info.param)) + names[info.index % 3];
}

INSTANTIATE_TEST_SUITE_P(Settings, SameScene,
                         ::testing::Combine(::testing::ValuesIn(kGls),
                                            ::testing::Values("", "--container sphere --decay 0 --particles 2050",
                                                              "--permeability 1 --regeneration 0 --particles 1050")),
                         SameSceneName);

TEST_P(HackOnX, ASingleBufferedWindowGetsTheSameFrame) {
  int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
  XVisualInfo* visual = glXChooseVisual(screen_.display(), DefaultScreen(screen_.display()), attributes);
  ASSERT_NE(visual, nullptr);
  int doubleBuffered = 1;
  glXGetConfig(screen_.display(), visual, GLX_DOUBLEBUFFER, &doubleBuffered);
  ASSERT_EQ(doubleBuffered, 0);
  const Window window = screen_.MakeWindow(0, 0, 320, 240, visual);
  XFree(visual);
  const Image shown = DrawInto(window, FirstFrame(""));
  EXPECT_EQ(Differences(shown, Written(FirstFrame("")), [](int, int) { return true; }), 0);
}

// With --clock T, frame F is seeded by the frames' count, not by the real
// time, so --frames F ends on the frame that ombrel-frames writes F-th: here
// 70 frames drawn as fast as they come, the last ten from second T + 1, whose
// seeds leave their trace by the 70th.
TEST_P(HackOnX, FrameFAtClockTIsOmbrelFramesFrameF) {
  const std::string line = "--particles 2050 --clock " + std::to_string(kClock);
  const Image written = Written(line + " --frames 70", 70);
  EXPECT_GT(Differences(written, Written(line + " --frames-per-second 1000 --frames 70", 70),
                        [](int, int) { return true; }),
            100)
      << "the 70th frame of second T alone differs";
  const Image shown = DrawInto(screen_.MakeWindow(0, 0, 320, 240), line + " --frames 70 --delay 0");
  EXPECT_EQ(Differences(shown, written, [](int, int) { return true; }), 0);
}

TEST_P(HackOnX, FpsChangesOnlyItsCorner) {
  // Three frames, so that two are drawn after an overlay: any state it left
  // behind would change them.
  const std::string line = "--clock " + std::to_string(kClock) + " --frames 3 --delay 0 --particles 2050";
  const Image plain = DrawInto(screen_.MakeWindow(0, 0, 320, 240), line);
  const Image withFps = DrawInto(screen_.MakeWindow(0, 0, 320, 240), line + " --fps");
  const auto corner = [](int x, int y) { return x < 100 && y >= 240 - 30; };
  EXPECT_GT(plain.LitPixels(), 1000);
  EXPECT_EQ(Differences(plain, withFps, [&](int x, int y) { return !corner(x, y); }), 0);
  EXPECT_GT(Differences(plain, withFps, corner), 20) << "the frame rate is shown";
}

// At --scale F the scene is drawn at F times the window's size, as
// ombrel-frames writes it at that size, and scaled up to the window by a
// linear filter: the window shows ombrel-frames' frame at the scaled size,
// scaled up, but for a level or two of rounding. The frame drawn at the
// window's own size differs on many pixels, so the two are told apart.
TEST_P(HackOnX, AScaledFrameIsOmbrelFramesFrameAtTheScaledSizeScaledUp) {
  const struct {
    const char* scale;
    int width, height;
  } cases[] = {{"0.5", 160, 120}, {"0.3", 96, 72}};
  const std::string frame = FirstFrame("--particles 2050");
  const Image unscaled = Written(frame);
  const long allowed = 320 * 240 / 200;
  for (const auto& c : cases) {
    const Image want = ScaledUp(Written(frame, 1, c.width, c.height), 320, 240);
    const std::string said = DrawingLine(gl_) + "ombrel: drawing " + std::to_string(c.width) + " x " +
                             std::to_string(c.height) +
                             " pixels, scaled up to the window's 320 x 240 by glBlitFramebuffer\n" +
                             StepsLine("1", "1");
    const Image shown =
        DrawInto(screen_.MakeWindow(0, 0, 320, 240), frame + " --verbose --scale " + c.scale, said);
    EXPECT_LE(PixelsBeyond(shown, want, 2), allowed) << c.scale;
    EXPECT_GT(PixelsBeyond(unscaled, want, 2), 10 * allowed) << c.scale;
  }
}

// A scaled window that changes its size gets a framebuffer of the new
// size's share and the projection for it: a sphere without particles stays
// round and in the middle, where a framebuffer left at the old size would
// be stretched to the new shape.
TEST_F(HackOnAnyGl, AScaledSceneFollowsTheWindowsSize) {
  const Window window = screen_.MakeWindow(0, 0, 320, 240);
  auto ombrel = Start("--window-id " + std::to_string(window) + " --container sphere --particles 0 --scale 0.5");
  double x = 0, y = 0, aspect = 0;
  auto roundAt = [&](double cx, double cy) {
    const Image shot = screen_.Grab(window);
    if (shot.LitPixels() < 300) return false;
    shot.LitCentre(x, y);
    aspect = LitAspect(shot);
    return std::abs(x - cx) < 10 && std::abs(y - cy) < 10 && std::abs(aspect - 1) < 0.1;
  };
  EXPECT_TRUE(WaitFor([&] { return roundAt(160, 120); }, 10s))
      << "centre " << x << ", " << y << ", width over height " << aspect << "\n" << ombrel->Output();
  XResizeWindow(screen_.display(), window, 600, 200);
  XSync(screen_.display(), False);
  EXPECT_TRUE(WaitFor([&] { return roundAt(300, 100); }, 10s))
      << "centre " << x << ", " << y << ", width over height " << aspect;
  kill(ombrel->pid(), SIGTERM);
  EXPECT_EQ(ombrel->WaitExit(3s), 0);
}

// ombrel-glx on an OpenGL without framebuffer objects (Mesa told to offer
// OpenGL 2.1 without GL_ARB_framebuffer_object) says so under --verbose and
// draws at the window's size.
TEST_F(HackOnAnyGl, WithoutAFramebufferBlitTheFramesAreNotScaled) {
  gl_ = "glx";
  const std::vector<std::string> noBlit = {"MESA_GL_VERSION_OVERRIDE=2.1",
                                           "MESA_EXTENSION_OVERRIDE=-GL_ARB_framebuffer_object"};
  const std::string said = DrawingLine("glx") +
                           "ombrel: --scale 0\\.5: OpenGL 2\\.1 .*has no framebuffer blit to scale frames with; "
                           "drawing at the window's size\n" +
                           StepsLine("1", "1");
  EXPECT_TRUE(IsFirstFrame(
      DrawInto(screen_.MakeWindow(0, 0, 320, 240), FirstFrame("") + " --scale 0.5 --verbose", said, noBlit)));
}

// At 60, 30, 20 and 15 frames a second the scene keeps 60 steps a second:
// with --clock T --frames 121 the last frame is ombrel-frames' frame 121
// whatever the rate, drawn no sooner than the two seconds that 120 steps
// take, after at most one frame for every 60 / rate steps besides the first
// and the last, and at least one for every four steps (a frame takes at most
// four). A frame that took one step, as a slowed scene would, breaks the
// first bound; one that took more than were due, the time.
TEST_F(HackOnAnyGl, AtEveryFrameRateTheSceneKeepsSixtyStepsASecond) {
  const std::string line = "--particles 2050 --clock " + std::to_string(kClock) + " --frames 121";
  const Image written = Written(line, 121);
  for (const int rate : {60, 30, 20, 15}) {
    const Window window = screen_.MakeWindow(0, 0, 320, 240);
    const std::string delay = std::to_string(1000000 / rate);
    std::string output;
    const TestClock::time_point started = TestClock::now();
    ASSERT_EQ(RunToEnd(::Ombrel("--window-id " + Hex(window) + " " + line + " --delay " + delay + " --verbose"), 60s,
                       &output, {screen_.Variable()}),
              0)
        << output;
    EXPECT_GE(TestClock::now() - started, 1900ms) << rate;
    std::smatch drawn;
    ASSERT_TRUE(std::regex_search(output, drawn, std::regex("ombrel: steps taken: 121, frames drawn: (\\d+)\n$")))
        << output;
    const int frames = std::stoi(drawn[1]);
    EXPECT_LE(frames, 120 / (60 / rate) + 2) << rate << " frames a second";
    EXPECT_GE(frames, 1 + 120 / 4) << rate << " frames a second";
    EXPECT_EQ(Differences(screen_.Grab(window), written, [](int, int) { return true; }), 0) << rate;
  }
}

TEST_F(HackOnAnyGl, WindowsItCannotUseEndItWithOneLineAndCodeOne) {
  struct Case {
    std::string line;
    std::vector<std::string> environment;
  } cases[] = {
      {"--window-id 0x7ffff0", {}},
      {"--root", {"XSCREENSAVER_WINDOW=nonsense"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> environment = c.environment;
    environment.push_back(screen_.Variable());
    std::string output;
    EXPECT_EQ(RunToEnd(Ombrel(c.line), 10s, &output, environment), 1) << c.line;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << c.line << ": " << output;
  }
}

TEST_F(HackOnAnyGl, AnInputOnlyWindowIsNamedAndEndsItWithCodeOne) {
  XSetWindowAttributes attributes{};
  const Window window = XCreateWindow(screen_.display(), screen_.root(), 0, 0, 320, 240, 0, 0, InputOnly,
                                      CopyFromParent, 0, &attributes);
  XMapWindow(screen_.display(), window);
  XSync(screen_.display(), False);
  const std::string expected =
      "ombrel: window " + Hex(window) + " is an InputOnly window, which cannot be drawn into\n";
  for (const std::string& line : {"--window-id " + Hex(window), std::string("--root")}) {
    std::string output;
    EXPECT_EQ(RunToEnd(Ombrel(line + " --frames 1"), 10s, &output,
                       {screen_.Variable(), "XSCREENSAVER_WINDOW=" + std::to_string(window)}),
              1)
        << line;
    EXPECT_EQ(output, expected) << line;
  }
}

// The CPU time that `pid` has used so far, in clock ticks; -1 when it cannot
// be read.
long CpuTicks(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t name = stat.rfind(')');
  if (name == std::string::npos) return -1;
  // After the name: state and eleven more fields, then user and system time.
  std::istringstream fields(stat.substr(name + 2));
  std::string field;
  for (int i = 0; i < 11 && fields >> field;) ++i;
  long user = 0, system = 0;
  return fields >> user >> system ? user + system : -1;
}

TEST_P(HackOnX, SigtermEndsItWithinASecondWhileTheXServerDoesNotAnswer) {
  auto ombrel = Start("--delay 0");
  const Window window = WaitOwnWindow();
  ASSERT_NE(window, 0u) << ombrel->Output();
  ASSERT_TRUE(WaitLit(window));

  // Stopped; whatever happens below, it goes on again before the test ends.
  struct Resume {
    pid_t server;
    ~Resume() { kill(server, SIGCONT); }
  } resume{screen_.pid()};
  kill(screen_.pid(), SIGSTOP);
  // Drawing as fast as it can, the program uses CPU time until it waits for
  // the stopped server.
  long before = CpuTicks(ombrel->pid());
  bool waiting = false;
  for (const TestClock::time_point end = TestClock::now() + 10s; !waiting && TestClock::now() < end;) {
    std::this_thread::sleep_for(250ms);
    const long now = CpuTicks(ombrel->pid());
    waiting = now == before && now >= 0;
    before = now;
  }
  ASSERT_TRUE(waiting) << "ombrel never waited for the stopped X server";

  const TestClock::time_point asked = TestClock::now();
  kill(ombrel->pid(), SIGTERM);
  EXPECT_EQ(ombrel->WaitExit(5s), 0) << ombrel->Output();
  EXPECT_LT(TestClock::now() - asked, kPromptEnd);
  EXPECT_EQ(ombrel->Output(), "");
}

TEST_P(HackOnX, ASignalBeforeTheFirstFrameEndsItWithZero) {
  // Sent while the program starts: held back by a blocked mask that it
  // inherits, so that it arrives the moment the program can take it.
  for (const int signal : {SIGTERM, SIGINT}) {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, signal);
    Process ombrel(Ombrel(""), {screen_.Variable()}, &blocked);
    kill(ombrel.pid(), signal);
    EXPECT_EQ(ombrel.WaitExit(10s), 0) << signal << ": " << ombrel.Output();
    EXPECT_EQ(ombrel.Output(), "");
  }
  // Sent the moment its window exists, while the first frame is being made.
  auto ombrel = Start("--particles 2050");
  ASSERT_TRUE(WaitFor([&] { return screen_.FindWindow("Ombrel") != 0 || ombrel->Ended(); }, 10s));
  kill(ombrel->pid(), SIGTERM);
  EXPECT_EQ(ombrel->WaitExit(5s), 0) << ombrel->Output();
  EXPECT_EQ(ombrel->Output(), "");
}

TEST_P(HackOnX, ALostXServerEndsItWithOneLineAndCodeOne) {
  auto ombrel = Start("");
  const Window window = WaitOwnWindow();
  ASSERT_NE(window, 0u) << ombrel->Output();
  ASSERT_TRUE(WaitLit(window));
  screen_.Disconnect();
  kill(screen_.pid(), SIGKILL);
  EXPECT_EQ(ombrel->WaitExit(10s), 1);
  EXPECT_EQ(ombrel->Output(), "ombrel: lost the connection to the X server '" + screen_.name() + "'\n");
}

// The program's XGetGeometry (x11/geometry_guard.cpp, linked into this test
// too) answers a 1 x 1 drawable for a window that is gone, where libX11's
// leaves the size unset for Mesa's rasteriser to allocate by.
TEST_F(HackOnAnyGl, GeometryOfAWindowThatIsGoneIsOneByOne) {
  const Window window = screen_.MakeWindow(0, 0, 320, 240);
  XDestroyWindow(screen_.display(), window);
  const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Window root = 1;
  int x = 7, y = 7;
  unsigned width = 320, height = 240, border = 7, depth = 24;
  EXPECT_EQ(XGetGeometry(screen_.display(), window, &root, &x, &y, &width, &height, &border, &depth), 0);
  XSetErrorHandler(previous);
  EXPECT_EQ(width, 1u);
  EXPECT_EQ(height, 1u);
  EXPECT_EQ(depth, 0u);
}

TEST(HackWithoutX, BadArgumentsGetOneLineAndCodeTwo) {
  for (const char* line : {"--delay x", "--window-id", "--window-id 0", "--frames-per-second 60",
                           "--container box", "--fps 1", "--scale 2", "stray"}) {
    std::string output;
    EXPECT_EQ(RunToEnd(Ombrel(line), 10s, &output, {"DISPLAY=:nothing"}), 2) << line;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << line << ": " << output;
    EXPECT_EQ(output.rfind("ombrel: ", 0), 0u) << output;
  }
}

TEST(HackWithoutX, NoDisplayEndsItWithOneLineAndCodeOne) {
  std::string output;
  EXPECT_EQ(RunToEnd(Ombrel("--frames 1"), 10s, &output, {"DISPLAY=:nothing"}), 1);
  EXPECT_EQ(output, "ombrel: cannot open display ':nothing'\n");

  std::vector<std::string> unset = Ombrel("--frames 1");
  unset.insert(unset.begin(), {"env", "-u", "DISPLAY"});
  EXPECT_EQ(RunToEnd(unset, 10s, &output), 1);
  EXPECT_EQ(output, "ombrel: no X display to draw on: DISPLAY is not set\n");
}

// The GLX build, asked for a path of ombrel's, ends with one line before it
// opens the display.
TEST(HackWithoutX, TheGlxBuildRefusesTheLayersPaths) {
  const std::string glxBuild = (std::filesystem::path(OMBREL_HACK_PATH).parent_path() / "ombrel-glx").string();
  for (const char* gl : {"glx-es", "egl"}) {
    std::string output;
    EXPECT_EQ(RunToEnd({glxBuild, "--gl", gl}, 10s, &output, {"DISPLAY=:nothing"}), 1) << gl;
    EXPECT_EQ(output, "ombrel: this build draws with OpenGL 1.1 through GLX only; run ombrel for the others\n") << gl;
  }
}

// Without GLX, the default passes GLX's ES profile over for EGL, with the
// same picture, and says why where asked; the GLX paths alone cannot draw.
class WithoutGlx : public HackTest {
 protected:
  WithoutGlx() : HackTest({"-extension", "GLX"}) {}
};

TEST_F(WithoutGlx, TheDefaultDrawsWithEglAndTheGlxPathsAreRefused) {
  const std::string noGlx = "the X server of display '" + screen_.name() + "' has no GLX extension";
  const Window window = screen_.MakeWindow(0, 0, 320, 240);
  EXPECT_TRUE(IsFirstFrame(DrawInto(window, FirstFrame(""))));
  EXPECT_TRUE(IsFirstFrame(DrawInto(window, FirstFrame("") + " --verbose",
                                    PassedOver(noGlx, "OpenGL ES 3 through EGL") + VerboseLine("egl"))));
  // --fps says why too, and nothing more.
  DrawInto(window, FirstFrame("") + " --fps", PassedOver(noGlx, "OpenGL ES 3 through EGL"));
  // Its own window is made again for EGL.
  auto ombrel = Start("");
  EXPECT_TRUE(WaitOwnWindowLit()) << ombrel->Output();

  for (const char* gl : {"glx-es", "glx"}) {
    gl_ = gl;
    for (const std::string& line : {std::string(""), std::string("--root"),
                                    "--window-id " + Hex(screen_.MakeWindow(0, 0, 100, 100))})
      ExpectRefused(line + " --frames 1", "ombrel: " + Literal(noGlx) + "(, which OpenGL needs)?\n");
  }
}

// A server that shares no memory with its clients, as a display on another
// machine: every path shows the same frames all the same.
class WithoutSharedMemory : public HackTest {
 protected:
  WithoutSharedMemory() : HackTest({"-extension", "MIT-SHM"}) {}
};

TEST_F(WithoutSharedMemory, EveryPathDrawsTheSameFirstFrame) {
  for (const char* gl : kGls) {
    gl_ = gl;
    EXPECT_TRUE(IsFirstFrame(DrawInto(screen_.MakeWindow(0, 0, 320, 240), FirstFrame("") + " --verbose",
                                      VerboseLine(gl))))
        << gl;
  }
}

// XScreenSaver's window for GL hacks has a 32-bit visual with alpha: GLX
// serves it on both its paths; EGL names no configuration for it, so asked
// alone it ends with the reason.
TEST_F(HackOnAnyGl, ADeepWindowGetsTheSameFrameThroughGlxAndIsRefusedByEgl) {
  const Window window = MakeDeepWindow();
  ASSERT_NE(window, 0u) << "the server has no 32-bit visual for OpenGL";
  for (const char* gl : {"glx-es", "glx"}) {
    gl_ = gl;
    EXPECT_TRUE(IsFirstFrame(DrawInto(window, FirstFrame("") + " --verbose", VerboseLine(gl)))) << gl;
  }
  gl_ = "egl";
  ExpectRefused("--window-id " + Hex(window) + " " + FirstFrame(""),
                Literal("ombrel: EGL has no 8-bit RGB configuration for OpenGL ES 3 that fits the window's visual "
                        "(window " + Hex(window) + ", visual 0x") + "[0-9a-f]+ of depth 32\\)\n");
}

// GLX that renders indirectly (Mesa told to, as it does for a display it
// cannot render to itself) has no OpenGL ES context to give: the default
// passes it over for EGL with the same picture.
class IndirectGlx : public HackTest {
 protected:
  const std::vector<std::string> indirect_ = {"LIBGL_ALWAYS_INDIRECT=1"};
};

TEST_F(IndirectGlx, TheDefaultFallsToEglWithTheSamePicture) {
  const Window window = screen_.MakeWindow(0, 0, 320, 240);
  const std::string cannot = "GLX cannot make an OpenGL ES 3.0 context (window " + Hex(window) + ", visual 0x";
  EXPECT_TRUE(IsFirstFrame(DrawInto(window, FirstFrame(""), "", indirect_)));
  EXPECT_TRUE(IsFirstFrame(DrawInto(window, FirstFrame("") + " --verbose",
                                    PassedOver(cannot, "OpenGL ES 3 through EGL") + VerboseLine("egl"), indirect_)));
  // Its own window is made again for EGL.
  auto ombrel = Start("", indirect_);
  EXPECT_TRUE(WaitOwnWindowLit()) << ombrel->Output();

  gl_ = "glx-es";
  ExpectRefused("--window-id " + Hex(window) + " " + FirstFrame(""), Literal("ombrel: " + cannot) + ".*\n",
                indirect_);
}

// Where neither of ombrel's paths can serve the window (Mesa told to offer
// OpenGL ES 2.0 at most, and for XScreenSaver's deep window an EGL without a
// configuration for it), ombrel hands over to ombrel-glx, which draws the
// same picture, and says why each path was passed over where asked.
TEST_F(HackOnAnyGl, WithoutOpenGlEs3OmbrelGlxDrawsTheSamePicture) {
  const std::vector<std::string> noEs3 = {"MESA_GLES_VERSION_OVERRIDE=2.0"};
  const Window deep = MakeDeepWindow();
  ASSERT_NE(deep, 0u) << "the server has no 32-bit visual for OpenGL";
  const struct {
    Window window;
    std::string eglCannot;
  } cases[] = {
      {screen_.MakeWindow(0, 0, 320, 240), "EGL cannot create an OpenGL ES 3.0 context"},
      {deep, "EGL has no 8-bit RGB configuration for OpenGL ES 3 that fits the window's visual"},
  };
  const std::string glxCannot = PassedOver("GLX cannot make an OpenGL ES 3.0 context", "OpenGL ES 3 through EGL");
  for (const auto& c : cases) {
    EXPECT_TRUE(IsFirstFrame(DrawInto(c.window, FirstFrame(""), "", noEs3))) << c.eglCannot;
    const std::string said = glxCannot + PassedOver(c.eglCannot, "OpenGL 1.1 through GLX") + VerboseLine("glx");
    EXPECT_TRUE(IsFirstFrame(DrawInto(c.window, FirstFrame("") + " --verbose", said, noEs3)))
        << c.eglCannot;
  }
  // Asked for one path alone, it ends with that path's reason.
  gl_ = "egl";
  ExpectRefused("--window-id " + Hex(deep) + " " + FirstFrame(""), Literal("ombrel: " + cases[1].eglCannot) + ".*\n");
}

// Without an EGL driver (libglvnd finds no vendor) the default draws through
// GLX as ever; EGL asked for alone cannot.
TEST_F(HackOnAnyGl, WithoutEglTheDefaultDrawsThroughGlx) {
  const std::vector<std::string> noEgl = {"__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/vendor.json"};
  const Window window = screen_.MakeWindow(0, 0, 320, 240);
  EXPECT_TRUE(IsFirstFrame(DrawInto(window, FirstFrame("") + " --verbose", VerboseLine("glx-es"), noEgl)));
  gl_ = "egl";
  ExpectRefused("--window-id " + Hex(window) + " " + FirstFrame(""),
                Literal("ombrel: EGL cannot be initialised on display '" + screen_.name() + "'") + "\n", noEgl);
}

}  // namespace
