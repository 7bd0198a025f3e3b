// Loading the password module on the 95/98 family: the switch in the
// registry is read as raw bytes, and the system's running state follows the
// module. PASSWORD.CPL here is the test double beside the test program.
#include <gtest/gtest.h>

#include <windows.h>

#include "host/host_state.h"
#include "host/password.h"
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

}  // namespace
