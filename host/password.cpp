#include "host/password.h"

#include "host/host_state.h"
#include "settings/settings_store.h"

namespace {

constexpr DWORD kVerifyQuietTicks = 200;

// "ScreenSaveUsePassword" read as up to four raw bytes, whatever its type.
bool PasswordWanted(HKEY desktop) {
  DWORD value = 0;
  return QueryNumber(desktop, "ScreenSaveUsePassword", value) && value != 0;
}

}  // namespace

void LoadPasswordModule() {
  SaverHostStateRecord& s = SaverHostState;
  if (!s.OnWindows9x) return;
  if (s.PasswordModule) UnloadPasswordModule();

  HKEY desktop = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
  if (PasswordWanted(desktop)) {
    s.PasswordModule = LoadLibraryA("PASSWORD.CPL");
    if (s.PasswordModule) {
      s.VerifyPasswordEntry = reinterpret_cast<VerifyScreenSavePwdFunction>(
          reinterpret_cast<void*>(GetProcAddress(s.PasswordModule, "VerifyScreenSavePwd")));
      if (s.VerifyPasswordEntry) SetSaverRunning(true);
      else UnloadPasswordModule();
    }
  }
  RegCloseKey(desktop);
}

void UnloadPasswordModule() {
  SaverHostStateRecord& s = SaverHostState;
  if (!s.OnWindows9x || !s.PasswordModule) return;
  FreeLibrary(s.PasswordModule);
  s.PasswordModule = nullptr;
  if (s.VerifyPasswordEntry) {
    s.VerifyPasswordEntry = nullptr;
    SetSaverRunning(false);
  }
}

void SetSaverRunning(bool on) {
  if (!SaverHostState.OnWindows9x) return;
  UINT previous = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on ? 1 : 0, &previous, 0);
}

DWORD TicksSince(DWORD start, DWORD now) { return now - start; }

BOOL VerifyClose(HWND window) {
  SaverHostStateRecord& s = SaverHostState;
  if (s.VerifyInProgress) return FALSE;
  if (!s.VerifyPasswordEntry) {
    s.CloseApproved = TRUE;
    return TRUE;
  }
  const DWORD now = GetTickCount();
  if (s.LastVerifyTick != kNoVerifyYet && TicksSince(s.LastVerifyTick, now) < kVerifyQuietTicks)
    return FALSE;

  s.VerifyInProgress = TRUE;
  MSG scratch;
  PeekMessageA(&scratch, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  PeekMessageA(&scratch, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  const LRESULT result = SendMessageA(window, kVerifyPasswordRequest, 0, 0);
  s.CloseApproved = result != 0;
  s.VerifyInProgress = FALSE;
  if (result == 0) SetCursor(nullptr);  // the prompt showed it
  s.LastVerifyTick = GetTickCount();
  return s.CloseApproved;
}

void ChangeSaverPassword(HWND parent) {
  using PwdChangePasswordFunction = DWORD(WINAPI*)(LPCSTR provider, HWND parent, DWORD, DWORD);
  HMODULE mpr = LoadLibraryA("MPR.DLL");
  if (!mpr) return;
  auto change = reinterpret_cast<PwdChangePasswordFunction>(
      reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", parent, 0, 0);
  FreeLibrary(mpr);
}
