// The saver window's routing and the scene window's life cycle, with real
// windows and a real OpenGL context.
#include <gtest/gtest.h>

#include <windows.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "host/host_state.h"
#include "host/saver_window.h"
#include "render/gl_setup.h"
#include "settings/settings_store.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/scene_parameters.h"
#include "tests/support/stored_settings.h"

namespace {

LRESULT CALLBACK RecordingParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class SaverWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SaverHostState = {};
    SaverHostState.SaverInstance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterSaverClass());
    WNDCLASSA c = {};
    c.lpfnWndProc = RecordingParentProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "PreviewParent";
    RegisterClassA(&c);
  }

  void SetUp() override {
    SaverHostState.InPreview = FALSE;
    SaverHostState.CloseApproved = FALSE;
    SaverHostState.SaverWindow = nullptr;
    ClearStoredSettings();
  }

  void TearDown() override {
    if (saver_ && IsWindow(saver_)) DestroyWindow(saver_);
    if (parent_) DestroyWindow(parent_);
    ClearStoredSettings();
    MSG m;  // the quit message the destruction posted
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {}
  }

  HWND MakePreview(int width, int height) {
    parent_ = CreateWindowExA(0, "PreviewParent", "Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              10, 10, width + 50, height + 50, nullptr, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
    // Resize so that the client area is exactly width x height.
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(parent_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    saver_ = CreateSaverWindow(parent_);
    return saver_;
  }

  HWND parent_ = nullptr;
  HWND saver_ = nullptr;
};

TEST_F(SaverWindowTest, FullScreenWindowCoversTheScreenAndKeepsItsTitle) {
  saver_ = CreateSaverWindow(nullptr);
  ASSERT_TRUE(saver_);
  char className[64];
  GetClassNameA(saver_, className, sizeof className);
  EXPECT_STREQ(className, "WindowsScreenSaverClass");
  RECT r;
  GetWindowRect(saver_, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(GetWindowLongA(saver_, GWL_STYLE) & 0xFFFF0000, 0x96000000);
  EXPECT_TRUE(GetWindowLongA(saver_, GWL_EXSTYLE) & WS_EX_TOPMOST);

  EXPECT_EQ(SendMessageA(saver_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Changed")), 0);
  char title[64];
  GetWindowTextA(saver_, title, sizeof title);
  EXPECT_STREQ(title, "Screen Saver");

  EXPECT_EQ(ViewportYOffset, 0) << "Resolution 0 switches no mode";
  EXPECT_EQ(SendMessageA(saver_, WM_ERASEBKGND, 0, 0), 0);
}

TEST_F(SaverWindowTest, FullScreenRendersAFrameForEveryPaint) {
  saver_ = CreateSaverWindow(nullptr);
  ASSERT_TRUE(saver_);
  EXPECT_EQ(FrameCounter, 4) << "the scene is initialised at creation";
  SendMessageA(saver_, WM_PAINT, 0, 0);
  SendMessageA(saver_, WM_PAINT, 0, 0);
  EXPECT_EQ(FrameCounter, 6);

  // Once a close is approved, painting and timers no longer reach the scene.
  SaverHostState.CloseApproved = TRUE;
  SendMessageA(saver_, WM_PAINT, 0, 0);
  EXPECT_EQ(SendMessageA(saver_, WM_TIMER, 1, 0), 0);
  EXPECT_EQ(FrameCounter, 6);
}

// A state that reseeding from the clock never gives: it stays only while no
// message reaches the scene, whose refresh reseeds first.
constexpr std::uint32_t kUntouchedRandomState = 0xDEADBEEF;

TEST_F(SaverWindowTest, FullScreenIgnoresSwitchingAndNestedSavers) {
  saver_ = CreateSaverWindow(nullptr);
  ASSERT_TRUE(saver_);
  for (WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW}) {
    RandomSource.State = kUntouchedRandomState;
    EXPECT_EQ(SendMessageA(saver_, WM_SYSCOMMAND, command, 0), 0);
    EXPECT_EQ(RandomSource.State, kUntouchedRandomState) << "command " << command << " reached the scene";
  }
  EXPECT_TRUE(IsWindow(saver_));
}

TEST_F(SaverWindowTest, PreviewFillsItsParentAndRendersWithNoModeChosen) {
  ASSERT_TRUE(MakePreview(152, 112));
  EXPECT_TRUE(SaverHostState.InPreview);
  EXPECT_EQ(GetParent(saver_), parent_);
  RECT r;
  GetClientRect(saver_, &r);
  EXPECT_EQ(r.right, 152);
  EXPECT_EQ(r.bottom, 112);
  EXPECT_EQ(GetWindowLongA(saver_, GWL_STYLE) & 0xFFFF0000, 0x52000000);
  char title[64];
  GetWindowTextA(saver_, title, sizeof title);
  EXPECT_STREQ(title, "Preview");
  const std::int32_t before = FrameCounter;
  SendMessageA(saver_, WM_PAINT, 0, 0);
  EXPECT_EQ(FrameCounter, before + 1);
  EXPECT_EQ(CurrentScreenMode.Width, 152);
  EXPECT_EQ(CurrentScreenMode.Height, 112);
}

// Lit pixels of the frame just shown in the current context (read from the
// back buffer, which the software renderer keeps after the swap).
int LitPixels(int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  int lit = 0;
  for (size_t i = 0; i < rgb.size(); i += 3) lit += (rgb[i] | rgb[i + 1] | rgb[i + 2]) != 0;
  return lit;
}

TEST_F(SaverWindowTest, PreviewShowsSavedSettingsFromItsNextFrame) {
  StoreSetting("Decay", 0);        // growth: the cells start invisible
  StoreSetting("SpawnPoints", 0);  // and no particles
  ASSERT_TRUE(MakePreview(152, 112));
  SendMessageA(saver_, WM_PAINT, 0, 0);
  EXPECT_EQ(LitPixels(152, 112), 0);

  StoreSetting("SpawnPoints", 2050);  // as the configuration dialog would save it
  SendMessageA(saver_, WM_PAINT, 0, 0);
  EXPECT_GT(LitPixels(152, 112), 100) << "the particles do not show";
}

TEST_F(SaverWindowTest, SmallPreviewWithAModeChosenStaysBlack) {
  StoreSetting("Resolution", 3);
  ASSERT_TRUE(MakePreview(200, 150));
  const std::int32_t before = FrameCounter;
  SendMessageA(saver_, WM_PAINT, 0, 0);
  EXPECT_EQ(FrameCounter, before) << "no frame in a small window with Resolution 3";
  EXPECT_EQ(ViewportYOffset, 0);
}

TEST_F(SaverWindowTest, PreviewPassesHelpAndContextMenuToItsParent) {
  ASSERT_TRUE(MakePreview(152, 112));
  MSG m;
  while (PeekMessageA(&m, parent_, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE)) {}
  EXPECT_EQ(SendMessageA(saver_, WM_CONTEXTMENU, 0, MAKELPARAM(5, 6)), 1);
  ASSERT_TRUE(PeekMessageA(&m, parent_, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
  EXPECT_EQ(reinterpret_cast<HWND>(m.wParam), parent_);
  EXPECT_EQ(m.lParam, MAKELPARAM(5, 6));

  // In the preview the screen-saver command is left to the system: it is
  // handed to the scene, whose refresh reseeds, and on to the default
  // handling (the full-screen form stops it before the scene).
  RandomSource.State = kUntouchedRandomState;
  SendMessageA(saver_, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  EXPECT_NE(RandomSource.State, kUntouchedRandomState) << "the command did not reach the scene";
  EXPECT_TRUE(IsWindow(saver_));
}

}  // namespace
