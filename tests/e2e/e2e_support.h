// Helpers of the end-to-end tests: starting the saver as Windows does,
// waiting with bounds, finding its window, input, screen captures.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/stored_settings.h"


inline const char kClass[] = "WindowsScreenSaverClass";
inline constexpr DWORD kStillRunning = STILL_ACTIVE;

// Bounds on the waits, in milliseconds. They are generous on purpose: under
// user-mode emulation a saver's first frame takes up to 16 s, and a busy
// machine slows that further. A wait ends as soon as its condition holds.
inline constexpr DWORD kAppearBound = 60000;  // a window, a dialog or a first frame
inline constexpr DWORD kEndBound = 30000;     // a process ending once asked to
inline constexpr DWORD kChangeBound = 20000;  // the next frame, a file the doubles write

inline std::string BinDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// Handles this thread's messages while waiting: a preview child in another
// process talks to its parent window here.
inline void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// Waits until check() holds, at most `milliseconds`.
inline bool WaitFor(const std::function<bool()>& check, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!check()) {
    if (GetTickCount() - start > milliseconds) return false;
    Pump(50);
  }
  return true;
}

class Saver {
 public:
  Saver(const std::string& program, const std::string& tail) {
    std::string line = "\"" + program + "\" " + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != 0;
  }
  ~Saver() {
    if (!started_) return;
    if (ExitCode(0) == kStillRunning) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  bool started() const { return started_; }

  // The exit code once the process has ended within `milliseconds`, else
  // STILL_ACTIVE. -1 reads as 0xFFFFFFFF.
  DWORD ExitCode(DWORD milliseconds) const {
    WaitFor([&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }, milliseconds);
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

inline HWND FindFullScreenSaver(DWORD milliseconds) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindWindowA(kClass, "Screen Saver")) != nullptr; }, milliseconds);
  return found;
}

inline BOOL CALLBACK CountIfSaver(HWND window, LPARAM count) {
  char name[64];
  if (GetClassNameA(window, name, sizeof name) && std::string(name) == kClass) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

inline int CountSaverWindows() {
  int n = 0;
  EnumWindows(CountIfSaver, reinterpret_cast<LPARAM>(&n));
  return n;
}

// The screen, or a part of it, as 32-bit pixels.
struct Shot {
  int width = 0, height = 0;
  std::vector<DWORD> pixels;
  int Lit() const {
    int n = 0;
    for (DWORD p : pixels) n += (p & 0xFFFFFF) != 0;
    return n;
  }
};

inline Shot Capture(RECT area) {
  Shot shot;
  shot.width = area.right - area.left;
  shot.height = area.bottom - area.top;
  shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  std::memcpy(shot.pixels.data(), bits, shot.pixels.size() * 4);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

inline RECT Screen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

inline void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

inline void MoveCursorBy(int dx, int dy) {
  POINT p;
  GetCursorPos(&p);
  SetCursorPos(p.x + dx, p.y + dy);
}



// Waits until at least one pixel in a hundred of the screen is lit: the saver
// has drawn a frame, so its message loop runs. Returns the last picture taken.
inline Shot WaitForLitScreen(DWORD milliseconds) {
  Shot shot;
  WaitFor([&] {
    shot = Capture(Screen());
    return shot.Lit() > static_cast<int>(shot.pixels.size() / 100);
  }, milliseconds);
  return shot;
}
