// The password protection of the 95/98 family. Loading the module: the
// switch in the registry is read as raw bytes, and the system's running
// state follows the module (PASSWORD.CPL here is the test double beside the
// test program). The close check: a verify entry of the test's own answers
// the prompt, with real windows and the real cursor.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "host/host_state.h"
#include "host/password.h"
#include "tests/support/default_proc_fixture.h"
#include "tests/support/default_proc_window.h"
#include "tests/support/saver_running.h"

namespace {

class PasswordModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SaverHostState = {};
    SaverHostState.OnWindows9x = TRUE;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &desktop_,
                    nullptr);
  }
  void TearDown() override {
    UnloadPasswordModule();
    RegDeleteValueA(desktop_, "ScreenSaveUsePassword");
    RegCloseKey(desktop_);
    SaverHostState.OnWindows9x = FALSE;
  }

  void Store(DWORD type, const void* data, DWORD size) {
    RegSetValueExA(desktop_, "ScreenSaveUsePassword", 0, type, static_cast<const BYTE*>(data), size);
  }

  HKEY desktop_ = nullptr;
};

TEST_F(PasswordModuleTest, TheSwitchIsReadAsRawBytes) {
  const DWORD one = 1, zero = 0;
  const BYTE oneByte = 1, zeroByte = 0;
  const struct { DWORD type; const void* data; DWORD size; bool protect; const char* what; } cases[] = {
      {REG_DWORD, &one, 4, true, "four-byte 1"},
      {REG_BINARY, &oneByte, 1, true, "single byte 1"},
      {REG_SZ, "1", 2, true, "string 1"},
      {REG_SZ, "0", 2, true, "string 0: its digit byte is not zero"},
      {REG_BINARY, &zeroByte, 1, false, "single zero byte"},
      {REG_DWORD, &zero, 4, false, "four-byte 0"},
      {REG_SZ, "1111", 5, false, "five bytes do not fit: the read fails"},
  };
  for (const auto& c : cases) {
    Store(c.type, c.data, c.size);
    LoadPasswordModule();
    EXPECT_EQ(SaverHostState.VerifyPasswordEntry != nullptr, c.protect) << c.what;
    EXPECT_EQ(ScreenSaverRunning(), c.protect) << c.what;
    UnloadPasswordModule();
    EXPECT_EQ(SaverHostState.PasswordModule, nullptr);
    EXPECT_FALSE(ScreenSaverRunning()) << c.what;
  }
  RegDeleteValueA(desktop_, "ScreenSaveUsePassword");
  LoadPasswordModule();
  EXPECT_EQ(SaverHostState.VerifyPasswordEntry, nullptr) << "absent: no protection";
}

TEST_F(PasswordModuleTest, NothingActsOutsideTheFamily) {
  const DWORD one = 1;
  Store(REG_DWORD, &one, 4);
  SaverHostState.OnWindows9x = FALSE;
  LoadPasswordModule();
  EXPECT_EQ(SaverHostState.PasswordModule, nullptr);
  EXPECT_FALSE(ScreenSaverRunning());

  // A close goes straight to the system: the first request destroys the
  // window, without the check approving it.
  HWND window = CreateDefaultProcWindow();
  ASSERT_TRUE(window);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(SaverHostState.CloseApproved);
  if (IsWindow(window)) DestroyWindow(window);
}

// A reset to {} is the state of a fresh process: no prompt has run yet.
static_assert(SaverHostStateRecord{}.LastVerifyTick == kNoVerifyYet);

// A verify entry of the test's own, scripted per call.
std::vector<BOOL> answers;
int prompts = 0;
BOOL reentered = TRUE;

BOOL WINAPI ScriptedVerify(HWND owner) {
  ++prompts;
  reentered = VerifyClose(owner);  // a close request while the prompt is up
  const BOOL answer = answers.empty() ? TRUE : answers.front();
  if (!answers.empty()) answers.erase(answers.begin());
  return answer;
}

class VerifyCloseTest : public DefaultProcFixture {
 protected:
  void SetUp() override {
    DefaultProcFixture::SetUp();
    SaverHostState.OnWindows9x = TRUE;
    SaverHostState.VerifyPasswordEntry = ScriptedVerify;
    prompts = 0;
    reentered = TRUE;
  }
};

TEST_F(VerifyCloseTest, RefusedPromptKeepsTheWindowAndQuietensFor200ms) {
  answers = {FALSE, TRUE};
  SetCursorPos(300, 300);
  EXPECT_EQ(Send(WM_CLOSE), 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(prompts, 1);
  EXPECT_FALSE(reentered) << "a close during the prompt is refused without a second prompt";
  EXPECT_FALSE(SaverHostState.CloseApproved);
  EXPECT_FALSE(SaverHostState.VerifyInProgress);
  EXPECT_EQ(SaverHostState.CursorAnchor.x, 300) << "a refusal takes a fresh anchor";

  // Within 200 ms of the prompt's end: refused without asking.
  EXPECT_FALSE(VerifyClose(window_));
  EXPECT_EQ(prompts, 1);

  Sleep(250);
  EXPECT_TRUE(VerifyClose(window_));
  EXPECT_EQ(prompts, 2);
  EXPECT_TRUE(SaverHostState.CloseApproved);
}

TEST_F(VerifyCloseTest, AcceptedPromptLetsTheCloseDestroyTheWindow) {
  answers = {TRUE};
  Send(WM_CLOSE);
  EXPECT_EQ(prompts, 1);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(SaverHostState.CloseApproved);
}

TEST_F(VerifyCloseTest, WithoutProtectionTheFirstCloseIsApproved) {
  SaverHostState.VerifyPasswordEntry = nullptr;
  EXPECT_EQ(Send(kVerifyPasswordRequest), 1);
  Send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(SaverHostState.CloseApproved);
}

TEST_F(VerifyCloseTest, InputIsIgnoredWhileThePromptIsUp) {
  SaverHostState.VerifyInProgress = TRUE;
  Send(WM_KEYDOWN);
  EXPECT_EQ(MoveBy(50, 50), 0);
  // The verify request itself is still answered.
  answers = {FALSE};
  EXPECT_EQ(Send(kVerifyPasswordRequest), 0);
  EXPECT_EQ(prompts, 1);
  SaverHostState.VerifyInProgress = FALSE;
}

TEST_F(VerifyCloseTest, AutoPlayQueryIsCancelledOnlyWhileProtected) {
  SaverHostState.AutoPlayQueryMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
  EXPECT_EQ(Send(SaverHostState.AutoPlayQueryMessage), 1);
  EXPECT_EQ(DropCloseRequests(), 1);
  SaverHostState.VerifyPasswordEntry = nullptr;
  EXPECT_EQ(Send(SaverHostState.AutoPlayQueryMessage), 0);
  EXPECT_EQ(DropCloseRequests(), 1);
}

TEST(TicksSince, HoldsAcrossTheWrapOfTheMillisecondCounter) {
  EXPECT_EQ(TicksSince(1000, 1150), 150u);
  EXPECT_EQ(TicksSince(0xFFFFFF9Cu, 100), 200u);
  EXPECT_EQ(TicksSince(0xFFFFFFF0u, 0x10), 0x20u);
}

}  // namespace
