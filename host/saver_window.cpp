#include "host/saver_window.h"

#include "host/host_state.h"
#include "host/password.h"
#include "host/scene_window.h"

const char kSaverClassName[] = "WindowsScreenSaverClass";
const char kFullScreenTitle[] = "Screen Saver";

namespace {

// The class asks for icon 100; the executable's one icon group is 109, so
// the class has none (the display settings show icon 109 for the file).
constexpr WORD kClassIconId = 100;

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

int RunSaverWindow(HWND parent) {
  SaverHostStateRecord& s = SaverHostState;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = s.SaverInstance;
  windowClass.hIcon = LoadIconA(s.SaverInstance, MAKEINTRESOURCEA(kClassIconId));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClassName;

  DWORD exStyle, style;
  const char* title;
  RECT area;
  if (parent) {
    GetClientRect(parent, &area);
    s.InPreview = TRUE;
    exStyle = 0;
    style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    title = "Preview";
  } else {
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, &area);
    ReleaseDC(nullptr, screen);
    exStyle = WS_EX_TOPMOST;
    style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    title = kFullScreenTitle;

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
  if (RegisterClassA(&windowClass)) {
    const int x = parent ? 0 : area.left, y = parent ? 0 : area.top;
    const int width = parent ? area.right : area.right - area.left;
    const int height = parent ? area.bottom : area.bottom - area.top;
    s.SaverWindow = CreateWindowExA(exStyle, kSaverClassName, title, style, x, y, width, height,
                                    parent, nullptr, s.SaverInstance, nullptr);
  }
  if (s.SaverWindow) {
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
