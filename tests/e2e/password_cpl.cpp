// A stand-in for the Windows 95/98 PASSWORD.CPL: VerifyScreenSavePwd logs
// its owner window and answers from OMBREL_VERIFY_ANSWERS, one character a
// call ('1' lets the saver close, anything else keeps it; 1 once used up).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "tests/e2e/double_log.h"

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
  static int calls = 0;
  char answers[64] = "";
  GetEnvironmentVariableA("OMBREL_VERIFY_ANSWERS", answers, sizeof answers);
  const bool accept = calls >= static_cast<int>(std::strlen(answers)) || answers[calls] == '1';
  ++calls;
  char line[96];
  std::snprintf(line, sizeof line, "VerifyScreenSavePwd %lu %d", static_cast<unsigned long>(
      reinterpret_cast<ULONG_PTR>(owner)), accept ? 1 : 0);
  AppendToDoubleLog(line);
  Sleep(100);  // a person answering takes a moment
  return accept ? TRUE : FALSE;
}
