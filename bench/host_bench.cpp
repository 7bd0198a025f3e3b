// Measures, under Wine (or on Windows), the scene window's per-message
// refresh and the frame rate of the full-screen saver.
//
//   host_bench.exe [seconds]     (default 10)
//
// The refresh, RefreshScene (reseed, registry load of six values, screen
// mode, derived values), runs before every message. The frame rate is taken
// from a real full-screen saver window made by the host with 2050 particles,
// counting FrameCounter over the given time; a second thread closes it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "host/host_state.h"
#include "host/saver_window.h"
#include "host/scene_window.h"
#include "sim/scene_data.h"
#include "tests/support/stored_settings.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

struct Closer {
  DWORD Seconds;
  std::int32_t FramesAtStart, FramesAtEnd;
  double Elapsed;
};

DWORD WINAPI CloseAfter(void* argument) {
  auto* closer = static_cast<Closer*>(argument);
  // Reads the counter that the saver thread advances: a race that only blurs
  // the measurement by a frame.
  while (!SaverHostState.SaverWindow || FrameCounter < 10) Sleep(10);
  LARGE_INTEGER start, end;
  closer->FramesAtStart = FrameCounter;
  QueryPerformanceCounter(&start);
  Sleep(closer->Seconds * 1000);
  closer->FramesAtEnd = FrameCounter;
  QueryPerformanceCounter(&end);
  closer->Elapsed = Seconds(start, end);
  PostMessageA(SaverHostState.SaverWindow, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 10;
  InitHostState(GetModuleHandleA(nullptr));
  StoreSetting("SpawnPoints", 2050);

  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  const int messages = 20000;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < messages; ++i) RefreshScene(window);
  QueryPerformanceCounter(&end);
  DestroyWindow(window);
  std::printf("refresh: %.2f us per message (%d messages)\n", 1e6 * Seconds(start, end) / messages, messages);

  Closer closer = {seconds, 0, 0, 0};
  HANDLE thread = CreateThread(nullptr, 0, CloseAfter, &closer, 0, nullptr);
  RunSaverWindow(nullptr);
  WaitForSingleObject(thread, INFINITE);
  std::printf("full screen %dx%d, 2050 particles: %.1f frames per second (%ld frames in %.1f s)\n",
              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
              (closer.FramesAtEnd - closer.FramesAtStart) / closer.Elapsed,
              static_cast<long>(closer.FramesAtEnd - closer.FramesAtStart), closer.Elapsed);
  ClearStoredSettings();
  return 0;
}
