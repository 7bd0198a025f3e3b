// The real ombrel.scr, started the way Windows starts it, under Wine on a
// virtual display. Every wait is bounded.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/e2e_support.h"

namespace {

class SaverE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearStoredSettings();
    SetCursorPos(400, 300);
  }
  void TearDown() override { ClearStoredSettings(); }
  // The saver built beside the tests, or the one that OMBREL_SCR names (the
  // release check runs the packaged one so).
  static std::string Scr() {
    const char* scr = std::getenv("OMBREL_SCR");
    return scr != nullptr ? scr : BinDir() + "ombrel.scr";
  }
};

TEST_F(SaverE2E, FullScreenAnimatesAndAKeyEndsIt) {
  Saver saver(Scr(), "/s");
  ASSERT_TRUE(saver.started());
  HWND window = FindFullScreenSaver(kAppearBound);
  ASSERT_TRUE(window) << "no window of class WindowsScreenSaverClass titled Screen Saver";
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));

  const Shot first = WaitForLitScreen(kAppearBound);
  EXPECT_GT(first.Lit(), static_cast<int>(first.pixels.size() / 100)) << "the screen is black";
  Shot second;
  WaitFor([&] { return (second = Capture(Screen())).pixels != first.pixels; }, kChangeBound);
  EXPECT_NE(first.pixels, second.pixels) << "the picture does not move";

  // A second start finds the first and leaves it alone.
  Saver again(Scr(), "/s");
  EXPECT_EQ(again.ExitCode(kAppearBound), 0u);
  EXPECT_EQ(CountSaverWindows(), 1);
  EXPECT_EQ(saver.ExitCode(0), kStillRunning);

  PressKey(VK_SPACE);
  EXPECT_EQ(saver.ExitCode(kEndBound), 0u);
}

TEST_F(SaverE2E, SmallMouseMovesAreToleratedLargerOnesEndIt) {
  Saver saver(Scr(), "/s");
  ASSERT_TRUE(FindFullScreenSaver(kAppearBound));
  WaitForLitScreen(kAppearBound);
  MoveCursorBy(2, 1);
  Pump(1000);
  EXPECT_EQ(saver.ExitCode(0), kStillRunning) << "3 pixels from the anchor must not close";
  MoveCursorBy(12, 9);
  EXPECT_EQ(saver.ExitCode(kEndBound), 0u);
}

TEST_F(SaverE2E, BadSwitchesExitMinusOneAndCreateNothing) {
  for (const char* tail : {"/x", "/?", "/\ts", "/5", "/\xd3", "/p:612", "/p", "/p 0"}) {
    Saver saver(Scr(), tail);
    ASSERT_TRUE(saver.started());
    bool sawWindow = false;
    WaitFor([&] {
      sawWindow = sawWindow || FindWindowA(kClass, nullptr) || FindWindowA("#32770", nullptr);
      return saver.ExitCode(0) != kStillRunning;
    }, kEndBound);
    EXPECT_EQ(saver.ExitCode(0), 0xFFFFFFFFu) << tail;
    EXPECT_FALSE(sawWindow) << tail;
  }
}

// A window like the display settings' preview box. (Wine does not present
// OpenGL drawn into a child window of another process, so what the preview
// draws is checked in-process by the host tests; here it is its life.)
class PreviewE2E : public SaverE2E {
 protected:
  void SetUp() override {
    SaverE2E::SetUp();
    static const bool registered = [] {
      WNDCLASSA c = {};
      c.lpfnWndProc = DefWindowProcA;
      c.hInstance = GetModuleHandleA(nullptr);
      c.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
      c.lpszClassName = "PreviewBox";
      return RegisterClassA(&c) != 0;
    }();
    ASSERT_TRUE(registered);
    parent_ = CreateWindowExA(WS_EX_TOPMOST, "PreviewBox", "", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(parent_);
    Pump(200);
  }
  void TearDown() override {
    if (IsWindow(parent_)) DestroyWindow(parent_);
    SaverE2E::TearDown();
  }
  std::string Tail() const {
    return "/p " + std::to_string(reinterpret_cast<ULONG_PTR>(parent_));
  }
  HWND parent_ = nullptr;
};

TEST_F(PreviewE2E, DrawsInsideItsParentIgnoresInputAndEndsWithIt) {
  Saver saver(Scr(), Tail());
  HWND child = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (child = FindWindowExA(parent_, nullptr, kClass, "Preview")) != nullptr; }, kAppearBound));
  RECT r;
  GetClientRect(child, &r);
  EXPECT_EQ(r.right, 152);
  EXPECT_EQ(r.bottom, 112);
  Pump(1500);
  EXPECT_EQ(saver.ExitCode(0), kStillRunning);

  SetForegroundWindow(parent_);
  PressKey(VK_SPACE);
  SetCursorPos(150, 150);
  Pump(300);
  SetCursorPos(200, 180);
  Pump(1000);
  EXPECT_EQ(saver.ExitCode(0), kStillRunning) << "the preview must not react to input";

  DestroyWindow(parent_);
  EXPECT_EQ(saver.ExitCode(kEndBound), 0u);
}

// The display-mode request that the saver makes, tested here the same way.
bool ModeIsRefused(int index) {
  static const int sizes[6][2] = {{0, 0}, {640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}};
  DEVMODEA request = {};
  request.dmSize = 148;
  request.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  request.dmBitsPerPel = 16;
  request.dmPelsWidth = sizes[index][0];
  request.dmPelsHeight = sizes[index][1];
  return ChangeDisplaySettingsA(&request, CDS_TEST) == DISP_CHANGE_BADMODE;
}

TEST_F(SaverE2E, ChosenDisplayModesAreAskedForAndARefusalIsReported) {
  for (int index = 1; index <= 5; ++index) {
    SCOPED_TRACE("Resolution " + std::to_string(index));
    StoreSetting("Resolution", index);
    const bool refused = ModeIsRefused(index);
    Saver saver(Scr(), "/s");
    HWND box = nullptr;
    const bool boxShown = WaitFor([&] { return (box = FindWindowA("#32770", "ERROR")) != nullptr; },
                                  refused ? kAppearBound : 5000);
    EXPECT_EQ(boxShown, refused);
    if (boxShown) PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(FindFullScreenSaver(kAppearBound));
    WaitForLitScreen(kAppearBound);
    EXPECT_EQ(saver.ExitCode(0), kStillRunning) << "the saver runs on";
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.ExitCode(kEndBound), 0u);
    ChangeDisplaySettingsA(nullptr, 0);
  }
}

}  // namespace

namespace {

// The configuration dialog of a running ombrel.scr, found by its caption
// once its initialisation has filled the resolution list (messages sent
// earlier would be overwritten by it).
HWND FindConfigDialog(DWORD milliseconds) {
  HWND found = nullptr;
  WaitFor([&] {
    found = FindWindowA("#32770", "Ombrel Screen Saver");
    return found && IsWindowVisible(found) && SendDlgItemMessageA(found, ResolutionCombo, CB_GETCOUNT, 0, 0) == 6;
  }, milliseconds);
  return found;
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

TEST_F(SaverE2E, ConfigureClicksThroughTheDialogAndOkStoresTheChoice) {
  Saver saver(Scr(), "/c");
  HWND dialog = FindConfigDialog(kAppearBound);
  ASSERT_TRUE(dialog);
  Click(dialog, SphereRadio);
  Click(dialog, GrowthRadio);
  Click(dialog, RegenOffRadio);
  SendDlgItemMessageA(dialog, ParticleSlider, TBM_SETPOS, TRUE, 10);      // Lots
  SendDlgItemMessageA(dialog, PermeabilitySlider, TBM_SETPOS, TRUE, 0);   // Low
  SendDlgItemMessageA(dialog, ResolutionCombo, CB_SETCURSEL, 2, 0);       // 800 x 600
  Click(dialog, IDOK);
  EXPECT_EQ(saver.ExitCode(kEndBound), 1u) << "the dialog's result";
  EXPECT_EQ(StoredSettingOr("ObjectType", 0xDEADBEEF), 0u);
  EXPECT_EQ(StoredSettingOr("Decay", 0xDEADBEEF), 0u);
  EXPECT_EQ(StoredSettingOr("Regeneration", 0xDEADBEEF), 0u);
  EXPECT_EQ(StoredSettingOr("SpawnPoints", 0xDEADBEEF), 2050u);
  EXPECT_EQ(StoredSettingOr("Permeability", 0xDEADBEEF), 21u);
  EXPECT_EQ(StoredSettingOr("Resolution", 0xDEADBEEF), 2u);
}

TEST_F(SaverE2E, ConfigureTakesItsOwnerAfterAColonAndCancelStoresNothing) {
  HWND owner = CreateWindowExA(0, "STATIC", "Display settings", WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  Saver saver(Scr(), "/c:" + std::to_string(reinterpret_cast<ULONG_PTR>(owner)));
  HWND dialog = FindConfigDialog(kAppearBound);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
  Click(dialog, SphereRadio);
  Click(dialog, CancelButton);
  EXPECT_EQ(saver.ExitCode(kEndBound), 1u);
  EXPECT_EQ(StoredSettingOr("ObjectType", 0xDEADBEEF), 0xDEADBEEFu) << "nothing stored";
  DestroyWindow(owner);

  // An empty command line also configures, without an owner.
  Saver bare(Scr(), "");
  dialog = FindConfigDialog(kAppearBound);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
  Click(dialog, CancelButton);
  EXPECT_EQ(bare.ExitCode(kEndBound), 1u);
}

}  // namespace
