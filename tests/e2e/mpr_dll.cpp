// A stand-in for MPR.DLL's password change: logs its four arguments.
#include <windows.h>

#include <cstdio>

#include "tests/e2e/double_log.h"

extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD a, DWORD b) {
  char line[160];
  std::snprintf(line, sizeof line, "PwdChangePasswordA %s %lu %lu %lu", provider ? provider : "(null)",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(parent)),
                static_cast<unsigned long>(a), static_cast<unsigned long>(b));
  AppendToDoubleLog(line);
  return 0;
}
