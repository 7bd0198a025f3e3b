// A bare top-level window whose procedure is DefaultSaverProc, for tests of
// the default handling without the scene.
#pragma once

#include <windows.h>

#include "host/default_proc.h"

// Null when the window cannot be made.
inline HWND CreateDefaultProcWindow() {
  static const bool registered = [] {
    WNDCLASSA c = {};
    c.lpfnWndProc = DefaultSaverProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "DefaultProcTestWindow";
    return RegisterClassA(&c) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExA(0, "DefaultProcTestWindow", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}
