// The executable's entry: find the argument tail, read the switch, run one
// mode and end the process with its exit code.
//
//   (nothing), /c, /c:HWND   configuration dialog
//   /s                       the saver, full screen
//   /p HWND, /l HWND         the preview inside window HWND
//   /a HWND                  change the saver password (95/98 family)
#pragma once

#include <windows.h>

// The argument tail of a command line: after the program name (quoted or
// not) and the blanks (codes 1..32) that follow it.
const char* FindArgumentTail(const char* commandLine);

enum class LaunchMode { kConfigure, kSaver, kPreview, kConfigureSwitch, kChangePassword, kInvalid };

struct LaunchSwitch {
  LaunchMode Mode;
  const char* Text;  // after the letter (and, for preview and password, its spaces)
};

// Skips ' ', '-' and '/' and chooses the mode by the next character.
LaunchSwitch ReadSwitch(const char* tail);

// The decimal digits at the start of text, wrapping modulo 2^32; 0: none.
DWORD ParseWindowHandle(const char* text);

// The window whose handle ParseWindowHandle reads from text, or none when
// that gives 0 or no existing window. Each caller chooses its own fallback.
HWND ExistingWindow(const char* text);

int RunPreview(const char* text);
int RunConfigDialog(HWND owner);
int RunChangePassword(const char* text);

// Fills the host state, then runs the chosen mode under the fault guard.
int SaverLaunch(HINSTANCE instance, const char* argumentTail);

// The process's main routine: never returns.
[[noreturn]] void SaverEntry();
