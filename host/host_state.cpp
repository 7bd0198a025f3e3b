#include "host/host_state.h"

SaverHostStateRecord SaverHostState;

void InitHostState(HINSTANCE instance) {
  SaverHostState.SaverInstance = instance;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
  SaverHostState.OnWindows9x =
      GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}
