// The fault guard around the launch modes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "host/fault_guard.h"
#include "host/host_state.h"
#include "tests/support/saver_running.h"

namespace {

// The fault guard, with a top-level filter of the test's own standing in for
// the system's answer.
int filterCalls = 0;
DWORD faultCode = 0;

LONG WINAPI AnswerExecuteHandler(EXCEPTION_POINTERS* pointers) {
  ++filterCalls;
  faultCode = pointers->ExceptionRecord->ExceptionCode;
  return EXCEPTION_EXECUTE_HANDLER;
}

int FaultingMode(const char*) {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 7;
}

int QuietMode(const char* text) { return static_cast<int>(std::string(text).size()); }

TEST(FaultGuard, HandsAFaultToTheFilterAndSwitchesTheRunningStateOff) {
  SaverHostState.OnWindows9x = TRUE;  // SetSaverRunning acts only on that family
  UINT previous = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &previous, 0);
  ASSERT_TRUE(ScreenSaverRunning());

  LPTOP_LEVEL_EXCEPTION_FILTER old = SetUnhandledExceptionFilter(AnswerExecuteHandler);
  filterCalls = 0;
  EXPECT_EQ(RunGuarded(FaultingMode, "", -1), -1);
  SetUnhandledExceptionFilter(old);
  SaverHostState.OnWindows9x = FALSE;

  EXPECT_EQ(filterCalls, 1);
  // Under user-mode emulation the signal that reports the write carries no
  // trap number, and Wine then names it an illegal instruction; the guard's
  // part, passing on whatever was raised, is the same.
  const bool emulated = std::getenv("OMBREL_I386_EMULATED") != nullptr && sizeof(void*) == 4;
  const DWORD raised = emulated ? EXCEPTION_ILLEGAL_INSTRUCTION : EXCEPTION_ACCESS_VIOLATION;
  EXPECT_EQ(faultCode, raised);
  EXPECT_FALSE(ScreenSaverRunning());

  // Without a fault the mode's own result comes back, and the guard is off
  // the handler chain again: a second guarded run still works.
  EXPECT_EQ(RunGuarded(QuietMode, "abc", -1), 3);
  EXPECT_EQ(RunGuarded(QuietMode, "", -1), 0);
}

}  // namespace
