// The fault guard around the chosen launch mode: a fault inside the saver
// is reported by the system as usual, and the screen-saver-running state
// that the password protection switched on is switched off again, so a
// crashed saver never leaves the 95/98 family's keys disabled.
//
// Written per processor: on 32-bit x86 a frame-based registration on the
// thread's handler chain, on x86-64 a handler named in the function tables.
#pragma once

// Runs mode(text) so that a fault inside it is handed to
// UnhandledExceptionFilter; when that answers EXCEPTION_EXECUTE_HANDLER the
// screen-saver-running state is switched off and faultResult is returned.
int RunGuarded(int (*mode)(const char* text), const char* text, int faultResult);
