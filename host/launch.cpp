#include "host/launch.h"

#include "host/fault_guard.h"
#include "host/host_state.h"
#include "host/password.h"
#include "host/saver_window.h"
#include "settings/config_dialog.h"

namespace {

bool IsBlank(char c) { return c >= 1 && c <= 32; }

const char* SkipSpaces(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

int RunSwitch(const char* tail) {
  const LaunchSwitch s = ReadSwitch(tail);
  switch (s.Mode) {
    case LaunchMode::kConfigure:
      return RunConfigDialog(nullptr);
    case LaunchMode::kSaver:
      return RunSaverWindow(nullptr);
    case LaunchMode::kPreview:
      return RunPreview(s.Text);
    case LaunchMode::kConfigureSwitch: {
      HWND owner = *s.Text == ':' ? ExistingWindow(s.Text + 1) : nullptr;
      return RunConfigDialog(owner ? owner : GetForegroundWindow());
    }
    case LaunchMode::kChangePassword:
      return SaverHostState.OnWindows9x ? RunChangePassword(SkipSpaces(s.Text)) : -1;
    case LaunchMode::kInvalid:
      break;
  }
  return -1;
}

}  // namespace

const char* FindArgumentTail(const char* line) {
  if (*line == '"') {
    line = CharNextA(line);
    while (*line && *line != '"') line = CharNextA(line);
    if (*line == '"') line = CharNextA(line);
  } else if (*line && !IsBlank(*line)) {
    while (*line && !IsBlank(*line)) line = CharNextA(line);
  }
  while (*line && IsBlank(*line)) line = CharNextA(line);
  return line;
}

LaunchSwitch ReadSwitch(const char* tail) {
  while (*tail == ' ' || *tail == '-' || *tail == '/') ++tail;
  const char* after = *tail ? tail + 1 : tail;
  switch (*tail) {
    case '\0': return {LaunchMode::kConfigure, tail};
    case 's': case 'S': return {LaunchMode::kSaver, after};
    case 'p': case 'P': case 'l': case 'L': return {LaunchMode::kPreview, SkipSpaces(after)};
    case 'c': case 'C': return {LaunchMode::kConfigureSwitch, after};
    case 'a': case 'A': return {LaunchMode::kChangePassword, SkipSpaces(after)};
    default: return {LaunchMode::kInvalid, tail};
  }
}

DWORD ParseWindowHandle(const char* text) {
  DWORD value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + static_cast<DWORD>(*text - '0');
  return value;
}

HWND ExistingWindow(const char* text) {
  HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(ParseWindowHandle(text)));
  return window && IsWindow(window) ? window : nullptr;
}

int RunPreview(const char* text) {
  HWND parent = ExistingWindow(text);
  return parent ? RunSaverWindow(parent) : -1;
}

int RunConfigDialog(HWND owner) {
  return static_cast<int>(DialogBoxParamA(SaverHostState.SaverInstance, MAKEINTRESOURCEA(kConfigDialogId),
                                          owner, ConfigDialogProc, 0));
}

int RunChangePassword(const char* text) {
  HWND parent = ExistingWindow(text);
  ChangeSaverPassword(parent ? parent : GetForegroundWindow());
  return 0;
}

int SaverLaunch(HINSTANCE instance, const char* argumentTail) {
  InitHostState(instance);
  // The exit code after a handled fault is ours to choose: -1, as for failure.
  return RunGuarded(RunSwitch, argumentTail, -1);
}

void SaverEntry() {
  const char* tail = FindArgumentTail(GetCommandLineA());
  ExitProcess(static_cast<UINT>(SaverLaunch(GetModuleHandleA(nullptr), tail)));
}
