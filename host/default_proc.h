// The default handling of saver-window messages: input and some system
// events request a close, the cursor stays hidden, a close on the 95/98
// family goes to the password check, everything else to DefWindowProcA.
#pragma once

#include <windows.h>

// Cursor movement closes only beyond this distance (|dx| + |dy|) from the anchor.
constexpr DWORD MouseMoveThreshold = 4;

LRESULT CALLBACK DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
