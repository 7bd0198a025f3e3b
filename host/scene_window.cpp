#include "host/scene_window.h"

#include <cstddef>
#include <cstring>

#include "host/default_proc.h"
#include "render/frame_driver.h"
#include "render/gl_setup.h"
#include "settings/settings_store.h"
#include "sim/random_source.h"
#include "sim/scene_parameters.h"

namespace {

// The scene window's device context and OpenGL context, from creation to
// destruction.
HDC SceneDC = nullptr;
HGLRC SceneContext = nullptr;

// 16-bit RGBA colour, a 16-bit depth buffer, double buffered.
const PIXELFORMATDESCRIPTOR ScenePixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR), 1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, PFD_MAIN_PLANE, 0, 0, 0, 0,
};

// A set-up failure: tell the user, end the saver's loop, keep the window.
LRESULT FailSetUp(const char* text) {
  MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONERROR);
  PostQuitMessage(0);
  return 0;
}

LRESULT OnCreate(HWND window) {
  SceneDC = GetDC(window);
  const int format = ChoosePixelFormat(SceneDC, &ScenePixelFormat);
  if (format == 0) return FailSetUp("Can't Find A Suitable PixelFormat.");
  if (!SetPixelFormat(SceneDC, format, &ScenePixelFormat)) return FailSetUp("Can't Set The PixelFormat.");
  SceneContext = wglCreateContext(SceneDC);
  if (!SceneContext) return FailSetUp("Can't Create A GL Rendering Context.");
  if (!wglMakeCurrent(SceneDC, SceneContext)) return FailSetUp("Can't activate GLRC.");

  GetClientRect(window, &ClientRect);
  if (ClientRect.right > kSmallWindowWidth && SaverSettings.Resolution != 0) {
    ChangeScreenMode(CurrentScreenMode.Width, CurrentScreenMode.Height, CurrentScreenMode.BitsPerPixel);
    // The window keeps its size: the switched screen shows its top-left corner.
    ViewportYOffset = CurrentScreenMode.Height < ClientRect.bottom
                          ? ClientRect.bottom - CurrentScreenMode.Height
                          : 0;
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(window);
  StartScene(CurrentScreenMode.Width, CurrentScreenMode.Height);
  return 0;
}

LRESULT OnPaint() {
  if (ClientRect.right > kSmallWindowWidth || SaverSettings.Resolution == 0) {
    RenderFrame();
    SwapBuffers(SceneDC);
  }
  // Not validated: the next WM_PAINT comes as soon as the queue is empty.
  return 0;
}

LRESULT OnDestroy(HWND window) {
  ChangeDisplaySettingsA(nullptr, 0);
  wglMakeCurrent(SceneDC, nullptr);
  wglDeleteContext(SceneContext);
  ReleaseDC(window, SceneDC);
  PostQuitMessage(0);
  return 0;
}

}  // namespace

void ChangeScreenMode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
  // The request in its short form, without the two panning fields.
  DEVMODEA request;
  std::memset(&request, 0, sizeof request);
  static_assert(offsetof(DEVMODEA, dmPanningWidth) == 148, "the short DEVMODEA is 148 bytes");
  request.dmSize = offsetof(DEVMODEA, dmPanningWidth);
  request.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  request.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
  request.dmPelsWidth = static_cast<DWORD>(width);
  request.dmPelsHeight = static_cast<DWORD>(height);
  if (ChangeDisplaySettingsA(&request, CDS_TEST) == DISP_CHANGE_BADMODE) {
    MessageBoxA(nullptr, "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card.", "ERROR",
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  ChangeDisplaySettingsA(&request, 0);
}

void RefreshScene(HWND window) {
  ReseedFromClock();
  LoadSettings();
  ResolveScreenMode(SaverSettings.Resolution, window);
  DeriveSceneParameters();
}

LRESULT CALLBACK SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  RefreshScene(window);
  switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_PAINT: return OnPaint();
    case WM_ERASEBKGND: return 0;
    case WM_DESTROY: return OnDestroy(window);
    default: return DefaultSaverProc(window, message, wParam, lParam);
  }
}
