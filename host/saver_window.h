// The saver window, full screen or as a preview child, its message loop and
// the host's own routing rules in front of the scene.
#pragma once

#include <windows.h>

extern const char kSaverClassName[];    // "WindowsScreenSaverClass"
extern const char kFullScreenTitle[];   // "Screen Saver"

// Full screen when parent is none, a preview inside parent otherwise.
// Returns the exit code: 0 after a normal close, and 0 when another
// full-screen saver is already running (it is brought to the front).
int RunSaverWindow(HWND parent);

// The window class "WindowsScreenSaverClass" with SaverWindowProc.
bool RegisterSaverClass();

// The full-screen window over the screen's clip box, or the preview child
// covering parent's client area (which sets InPreview). Stores SaverWindow.
HWND CreateSaverWindow(HWND parent);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
