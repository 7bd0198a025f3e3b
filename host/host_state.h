// The saver host's one record of handles and flags, shared by the launch
// code, the saver window, password protection and the default handling.
#pragma once

#include <windows.h>

using VerifyScreenSavePwdFunction = BOOL(WINAPI*)(HWND owner);
using ImmAssociateContextFunction = HANDLE(WINAPI*)(HWND window, HANDLE context);

struct SaverHostStateRecord {
  HINSTANCE SaverInstance;
  BOOL OnWindows9x;            // the Windows 95/98 family; fixed after InitHostState
  HWND SaverWindow;
  BOOL InPreview;              // set when the window is a preview child; never cleared
  BOOL CloseApproved;          // set once the saver may close; never cleared
  UINT AutoPlayQueryMessage;   // "QueryCancelAutoPlay" on the 95/98 family, else 0
  POINT CursorAnchor;          // where cursor movement is measured from
  HMODULE ImmModule;           // IMM32.DLL if it was already loaded
  ImmAssociateContextFunction ImmAssociateContextEntry;
  HANDLE SavedInputContext;    // the window's input context before it was detached
  HMODULE PasswordModule;      // PASSWORD.CPL while loaded
  VerifyScreenSavePwdFunction VerifyPasswordEntry;  // present exactly while protected
  BOOL VerifyInProgress;       // a password prompt is up
  DWORD LastVerifyTick;        // when the last prompt ended; 0xFFFFFFFF before any
};

constexpr DWORD kNoVerifyYet = 0xFFFFFFFFu;

extern SaverHostStateRecord SaverHostState;

// Stores the instance and decides whether the system is of the 95/98 family.
void InitHostState(HINSTANCE instance);
