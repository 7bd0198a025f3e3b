// Password protection on the Windows 95/98 family. The password belongs to
// the system: "ScreenSaveUsePassword" under HKCU\Control Panel\Desktop says
// whether it is on, PASSWORD.CPL asks for it and MPR.DLL changes it; the
// saver only decides when to ask. Elsewhere every operation does nothing.
#pragma once

#include <windows.h>

// The private message by which a close check asks the window procedure to
// put up the system's prompt.
constexpr UINT kVerifyPasswordRequest = WM_APP;  // 0x8000

// Loads PASSWORD.CPL and its VerifyScreenSavePwd when protection is switched
// on, and then tells the system that a saver is running.
void LoadPasswordModule();

// Frees PASSWORD.CPL and, if protection was active, clears the running state.
void UnloadPasswordModule();

// SPI_SCREENSAVERRUNNING on or off (95/98 family only).
void SetSaverRunning(bool on);

// Decides a close request: true lets it destroy the window. Refuses at once
// while a prompt is up, and for 200 ms after the last prompt ended.
BOOL VerifyClose(HWND window);

// now - start modulo 2^32: right across the wrap of GetTickCount.
DWORD TicksSince(DWORD start, DWORD now);

// The system's password-change dialog for the screen saver.
void ChangeSaverPassword(HWND parent);
