#include "host/default_proc.h"

#include <cstdlib>

#include "host/host_state.h"
#include "host/password.h"

namespace {

void RequestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

void OnMouseMove(HWND window) {
  POINT p;
  GetCursorPos(&p);
  const POINT& anchor = SaverHostState.CursorAnchor;
  const DWORD distance = static_cast<DWORD>(std::labs(p.x - anchor.x) + std::labs(p.y - anchor.y));
  if (distance > MouseMoveThreshold) {
    RequestClose(window);
    SaverHostState.CursorAnchor = p;
  }
}

}  // namespace

LRESULT CALLBACK DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SaverHostStateRecord& s = SaverHostState;
  if (!s.InPreview && !s.CloseApproved) {
    // Decided before the re-entry guard: the verify request must be answered
    // while its own prompt is up.
    if (message == WM_CLOSE && s.OnWindows9x) {
      if (!VerifyClose(window)) {
        GetCursorPos(&s.CursorAnchor);
        return 0;
      }
    } else if (message == kVerifyPasswordRequest && s.OnWindows9x) {
      return s.VerifyPasswordEntry ? s.VerifyPasswordEntry(window) : 1;
    } else if (!s.VerifyInProgress) {
      switch (message) {
        case WM_SHOWWINDOW:
          if (wParam) SetCursor(nullptr);
          break;
        case WM_ACTIVATEAPP:
          if (!wParam) RequestClose(window);
          break;
        case WM_SETCURSOR:
          SetCursor(nullptr);
          return 1;
        case WM_POWER:
          if (wParam == PWR_CRITICALRESUME) RequestClose(window);
          break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_POWERBROADCAST:
          RequestClose(window);
          break;
        case WM_MOUSEMOVE:
          OnMouseMove(window);
          break;
      }
    }
  }

  if (s.AutoPlayQueryMessage != 0 && message == s.AutoPlayQueryMessage) {
    RequestClose(window);
    return s.VerifyPasswordEntry ? 1 : 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
