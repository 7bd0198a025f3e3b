// The saver host's one record of handles and flags, shared by the launch
// code, the saver window, password protection and the default handling.
#pragma once

#include <windows.h>

using VerifyScreenSavePwdFunction = BOOL(WINAPI*)(HWND owner);
using ImmAssociateContextFunction = HANDLE(WINAPI*)(HWND window, HANDLE context);

// When no password prompt has ended yet.
constexpr DWORD kNoVerifyYet = 0xFFFFFFFFu;

// Every field starts as none, zero or false but LastVerifyTick, so that a
// reset to {} gives the state of a process that has just started.
struct SaverHostStateRecord {
  HINSTANCE SaverInstance = nullptr;
  BOOL OnWindows9x = FALSE;             // the Windows 95/98 family; fixed after InitHostState
  HWND SaverWindow = nullptr;
  BOOL InPreview = FALSE;               // set when the window is a preview child; never cleared
  BOOL CloseApproved = FALSE;           // set once the saver may close; never cleared
  UINT AutoPlayQueryMessage = 0;        // "QueryCancelAutoPlay" on the 95/98 family, else 0
  POINT CursorAnchor = {0, 0};          // where cursor movement is measured from
  HMODULE ImmModule = nullptr;          // IMM32.DLL if it was already loaded
  ImmAssociateContextFunction ImmAssociateContextEntry = nullptr;
  HANDLE SavedInputContext = nullptr;   // the window's input context before it was detached
  HMODULE PasswordModule = nullptr;     // PASSWORD.CPL while loaded
  // Present exactly while the password protects the screen.
  VerifyScreenSavePwdFunction VerifyPasswordEntry = nullptr;
  BOOL VerifyInProgress = FALSE;        // a password prompt is up
  DWORD LastVerifyTick = kNoVerifyYet;  // when the last prompt ended
};

extern SaverHostStateRecord SaverHostState;

// Stores the instance and decides whether the system is of the 95/98 family.
void InitHostState(HINSTANCE instance);
