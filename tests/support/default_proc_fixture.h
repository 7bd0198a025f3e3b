// A fixture for tests of DefaultSaverProc and the close check it consults:
// a fresh host state, a bare window whose procedure is DefaultSaverProc,
// and the real cursor anchored at (200, 200).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "host/default_proc.h"
#include "host/host_state.h"
#include "tests/support/default_proc_window.h"

class DefaultProcFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SaverHostState = {};
    SaverHostState.SaverInstance = GetModuleHandleA(nullptr);
    window_ = CreateDefaultProcWindow();
    ASSERT_TRUE(window_);
    DropCloseRequests();
    SetCursorPos(200, 200);
    GetCursorPos(&SaverHostState.CursorAnchor);
  }
  void TearDown() override {
    SaverHostState.CloseApproved = TRUE;  // let the window go without questions
    DestroyWindow(window_);
  }

  // Takes the queued close requests off the queue and counts them.
  int DropCloseRequests() {
    int n = 0;
    MSG m;
    while (PeekMessageA(&m, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++n;
    return n;
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return DefaultSaverProc(window_, message, wParam, lParam);
  }

  // Moves the real cursor by (dx, dy) and reports the move to the handler.
  int MoveBy(int dx, int dy) {
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x + dx, p.y + dy);
    Send(WM_MOUSEMOVE);
    return DropCloseRequests();
  }

  HWND window_ = nullptr;
};
