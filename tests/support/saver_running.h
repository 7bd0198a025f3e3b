// The system's screen-saver-running state, as the 95/98 family's password
// protection switches it.
#pragma once

#include <windows.h>

inline bool ScreenSaverRunning() {
  BOOL running = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  return running != FALSE;
}
