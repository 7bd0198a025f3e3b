#include "host/saver_window.h"

#include "host/host_state.h"
#include "host/password.h"
#include "host/scene_window.h"
#include "resources/resource_ids.h"

const char kSaverClassName[] = "WindowsScreenSaverClass";
const char kFullScreenTitle[] = "Screen Saver";

namespace {

void OnCreate(HWND window) {
  SaverHostStateRecord& s = SaverHostState;
  s.ImmModule = GetModuleHandleA("IMM32.DLL");
  if (s.ImmModule) {
    s.ImmAssociateContextEntry = reinterpret_cast<ImmAssociateContextFunction>(
        reinterpret_cast<void*>(GetProcAddress(s.ImmModule, "ImmAssociateContext")));
    if (s.ImmAssociateContextEntry) s.SavedInputContext = s.ImmAssociateContextEntry(window, nullptr);
  }
  GetCursorPos(&s.CursorAnchor);
  if (!s.InPreview) SetCursor(nullptr);
}

void OnDestroy(HWND window) {
  const SaverHostStateRecord& s = SaverHostState;
  if (s.ImmModule && s.ImmAssociateContextEntry && s.SavedInputContext)
    s.ImmAssociateContextEntry(window, s.SavedInputContext);
  PostQuitMessage(0);
}

bool IsInput(UINT message) {
  switch (message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      return true;
  }
  return false;
}

}  // namespace

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const SaverHostStateRecord& s = SaverHostState;
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      break;
    case WM_DESTROY:
      OnDestroy(window);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (s.CloseApproved) return DefWindowProcA(window, message, wParam, lParam);
      if (!s.InPreview) SetCursor(nullptr);
      break;
    case WM_TIMER:
      if (s.CloseApproved) return 0;
      Sleep(0);
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (s.InPreview) {
        // The display settings' own window answers help in the preview.
        HWND parent = GetParent(window);
        if (parent && IsWindow(parent))
          PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
        return 1;
      }
      break;
    case WM_SYSCOMMAND:
      if (!s.InPreview && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
        return 0;
      break;
    default:
      if (IsInput(message) && s.CloseApproved) return DefWindowProcA(window, message, wParam, lParam);
      break;
  }
  return SceneProc(window, message, wParam, lParam);
}

bool RegisterSaverClass() {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = SaverHostState.SaverInstance;
  windowClass.hIcon = LoadIconA(SaverHostState.SaverInstance, MAKEINTRESOURCEA(kClassIconId));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClassName;
  return RegisterClassA(&windowClass) != 0;
}

HWND CreateSaverWindow(HWND parent) {
  SaverHostStateRecord& s = SaverHostState;
  if (parent) {
    RECT client;
    GetClientRect(parent, &client);
    s.InPreview = TRUE;
    s.SaverWindow = CreateWindowExA(0, kSaverClassName, "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                    0, 0, client.right, client.bottom, parent, nullptr, s.SaverInstance,
                                    nullptr);
  } else {
    RECT screen;
    HDC dc = GetDC(nullptr);
    GetClipBox(dc, &screen);
    ReleaseDC(nullptr, dc);
    s.SaverWindow = CreateWindowExA(WS_EX_TOPMOST, kSaverClassName, kFullScreenTitle,
                                    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, screen.left,
                                    screen.top, screen.right - screen.left, screen.bottom - screen.top,
                                    nullptr, nullptr, s.SaverInstance, nullptr);
  }
  return s.SaverWindow;
}

int RunSaverWindow(HWND parent) {
  SaverHostStateRecord& s = SaverHostState;
  if (!parent) {
    HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
    if (running && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    LoadPasswordModule();
  }
  s.AutoPlayQueryMessage = s.OnWindows9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

  // The exit code when no window can be made; every quit posted is 0.
  int exitCode = -1;
  if (RegisterSaverClass() && CreateSaverWindow(parent)) {
    if (!parent) SetForegroundWindow(s.SaverWindow);
    MSG message;
    // GetMessageA answers -1 only for a bad window filter; stop then as well.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    exitCode = static_cast<int>(message.wParam);
  }
  UnloadPasswordModule();
  return exitCode;
}
