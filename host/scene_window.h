// The scene's handler for the saver window: refreshes the scene parameters
// before every message, sets up OpenGL (and optionally a display mode) at
// creation, renders a frame for every paint message, and releases all of it
// at destruction. Every other message goes to DefaultSaverProc.
#pragma once

#include <windows.h>

#include <cstdint>

// A window whose client area is at most this wide is small: it never
// switches the display mode and renders only with Resolution 0.
constexpr LONG kSmallWindowWidth = 300;

LRESULT CALLBACK SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The refresh that SceneProc runs before every message, so that settings
// saved meanwhile reach the next frame: reseed the random source from the
// clock, load the settings, resolve the screen mode for window (which also
// reads its client rectangle) and derive the scene parameters.
void RefreshScene(HWND window);

// Asks for a full-screen display mode; a mode the system's test calls bad
// is reported in an "ERROR" box and left alone.
void ChangeScreenMode(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
