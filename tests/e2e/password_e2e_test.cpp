// The Windows 95/98 family's password paths of the real ombrel.scr: Wine
// presents itself as Windows 98 to a copy named ombrel98.scr, which finds
// the test doubles of PASSWORD.CPL and MPR.DLL beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\ombrel98.scr";
const char kDesktop[] = "Control Panel\\Desktop";

class Windows98 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(CopyFileA((BinDir() + "ombrel.scr").c_str(), Scr98().c_str(), FALSE));
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(key);
    // Wine's own MPR.DLL would otherwise be used; ours stands beside the saver.
    RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + "\\DllOverrides").c_str(), 0, nullptr, 0,
                    KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "mpr", 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
    RegCloseKey(key);
  }
  static void TearDownTestSuite() {
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + "\\DllOverrides").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    DeleteFileA(Scr98().c_str());
  }

  void SetUp() override {
    log_ = BinDir() + "double-log.txt";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("OMBREL_DOUBLE_LOG", log_.c_str());
    SetEnvironmentVariableA("OMBREL_VERIFY_ANSWERS", "");
    UsePassword(false);
    SetCursorPos(400, 300);
  }
  void TearDown() override {
    UsePassword(false);
    SetEnvironmentVariableA("OMBREL_DOUBLE_LOG", nullptr);
  }

  static std::string Scr98() { return BinDir() + "ombrel98.scr"; }

  static void UsePassword(bool on) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (on) {
      const DWORD one = 1;
      RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    } else {
      RegDeleteValueA(key, "ScreenSaveUsePassword");
    }
    RegCloseKey(key);
  }

  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  static std::string Handle(HWND window) { return std::to_string(reinterpret_cast<ULONG_PTR>(window)); }

  std::string log_;
};

TEST_F(Windows98, WithoutThePasswordSwitchTheFirstKeyCloses) {
  Saver saver(Scr98(), "/s");
  HWND window = FindFullScreenSaver(kAppearBound);
  ASSERT_TRUE(window);
  WaitForLitScreen(kAppearBound);
  const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  DWORD_PTR answer = 99;
  SendMessageTimeoutA(window, autoPlay, 0, 0, SMTO_ABORTIFHUNG, kChangeBound, &answer);
  EXPECT_EQ(answer, 0u) << "AutoPlay goes ahead when no password protects the screen";
  // The AutoPlay query also asked the saver to close.
  EXPECT_EQ(saver.ExitCode(kEndBound), 0u);
  EXPECT_TRUE(Log().empty()) << "no prompt without protection";
}

TEST_F(Windows98, RefusedPromptKeepsTheSaverAcceptedOneEndsIt) {
  UsePassword(true);
  SetEnvironmentVariableA("OMBREL_VERIFY_ANSWERS", "01");
  Saver saver(Scr98(), "/s");
  HWND window = FindFullScreenSaver(kAppearBound);
  ASSERT_TRUE(window);
  WaitForLitScreen(kAppearBound);

  PressKey(VK_SPACE);
  ASSERT_TRUE(WaitFor([&] { return Log().size() == 1; }, kChangeBound));
  Pump(1500);
  EXPECT_EQ(saver.ExitCode(0), kStillRunning) << "a refused password keeps the saver";
  EXPECT_EQ(Log()[0], "VerifyScreenSavePwd " + Handle(window) + " 0");
  CURSORINFO cursor = {};
  cursor.cbSize = sizeof cursor;
  ASSERT_TRUE(GetCursorInfo(&cursor));
  EXPECT_EQ(cursor.hCursor, nullptr) << "the cursor is hidden again";

  PressKey(VK_SPACE);
  EXPECT_EQ(saver.ExitCode(kEndBound), 0u);
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[1], "VerifyScreenSavePwd " + Handle(window) + " 1");
}

TEST_F(Windows98, AutoPlayIsCancelledWhileThePasswordProtects) {
  UsePassword(true);
  SetEnvironmentVariableA("OMBREL_VERIFY_ANSWERS", "0");
  Saver saver(Scr98(), "/s");
  HWND window = FindFullScreenSaver(kAppearBound);
  ASSERT_TRUE(window);
  WaitForLitScreen(kAppearBound);
  DWORD_PTR answer = 99;
  SendMessageTimeoutA(window, RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0, SMTO_ABORTIFHUNG, kChangeBound,
                      &answer);
  EXPECT_EQ(answer, 1u);
  // Its close request went to the prompt, which refused.
  ASSERT_TRUE(WaitFor([&] { return Log().size() == 1; }, kChangeBound));
  Pump(500);
  EXPECT_EQ(saver.ExitCode(0), kStillRunning);
  PressKey(VK_SPACE);  // the second prompt accepts
  EXPECT_EQ(saver.ExitCode(kEndBound), 0u);
}

TEST_F(Windows98, ChangePasswordCallsTheSystemDialogWithItsParent) {
  HWND parent = CreateWindowExA(0, "STATIC", "Display settings", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  Saver saver(Scr98(), "/a " + Handle(parent));
  EXPECT_EQ(saver.ExitCode(kAppearBound), 0u);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0], "PwdChangePasswordA SCRSAVE " + Handle(parent) + " 0 0");
  DestroyWindow(parent);

  // Outside the family there is no such mode.
  Saver nt(BinDir() + "ombrel.scr", "/a 612");
  EXPECT_EQ(nt.ExitCode(kAppearBound), 0xFFFFFFFFu);
}

}  // namespace
