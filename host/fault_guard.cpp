#include "host/fault_guard.h"

#include <windows.h>

#include "host/password.h"

namespace {

// The fault guard's first step, the same on every processor: a fault (not an
// unwind passing through) is offered to UnhandledExceptionFilter, which shows
// the system's fault report. True when the guard is to end the mode; false
// with the disposition to return when execution continues or the search goes on.
bool GuardTakesFault(EXCEPTION_RECORD* record, CONTEXT* context, EXCEPTION_DISPOSITION* disposition) {
  *disposition = ExceptionContinueSearch;
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return false;
  EXCEPTION_POINTERS pointers = {record, context};
  const LONG answer = UnhandledExceptionFilter(&pointers);
  if (answer == EXCEPTION_CONTINUE_EXECUTION) *disposition = ExceptionContinueExecution;
  return answer == EXCEPTION_EXECUTE_HANDLER;
}

#if defined(__i386__)
// The thread's information block, whose first field heads the chain of
// exception registrations. (GCC 12 warns wrongly about mingw's reader of fs.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
NT_TIB* ThreadInformation() { return reinterpret_cast<NT_TIB*>(NtCurrentTeb()); }
#pragma GCC diagnostic pop

// The fault guard: a frame-based exception registration of its own on the
// thread's handler chain (GCC has no __try/__except on 32-bit Windows).
struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD Registration;  // must come first: the system sees this
  void* Resume[5];                             // __builtin_setjmp buffer
};

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* establisher,
                                           CONTEXT* context, void* /*dispatcher*/) {
  EXCEPTION_DISPOSITION disposition;
  if (!GuardTakesFault(record, context, &disposition)) return disposition;

  // Run the unwind handlers of the frames inside the guard, take the guard
  // off the chain and resume in RunGuarded.
  auto* frame = static_cast<GuardFrame*>(establisher);
  RtlUnwind(establisher, nullptr, record, nullptr);
  ThreadInformation()->ExceptionList = frame->Registration.Next;
  SetSaverRunning(false);
  __builtin_longjmp(frame->Resume, 1);
}
#endif

}  // namespace

#if defined(__i386__)
int RunGuarded(int (*mode)(const char* text), const char* text, int faultResult) {
  GuardFrame frame;
  NT_TIB* tib = ThreadInformation();
  if (__builtin_setjmp(frame.Resume)) return faultResult;  // resumed by GuardHandler
  frame.Registration.Next = tib->ExceptionList;
  frame.Registration.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(GuardHandler);
  tib->ExceptionList = &frame.Registration;
  const int result = mode(text);
  tib->ExceptionList = frame.Registration.Next;
  return result;
}
#elif defined(__x86_64__)
// On x86-64 the handlers are found from tables, not from a chain on the
// stack: the guard is a small function whose table entry names an exception
// handler. It keeps faultResult in its frame, calls the mode and returns its
// result; after a handled fault the handler unwinds to OmbrelGuardResume,
// which returns faultResult instead. Its frame (the establisher frame the
// handler is given) is the stack pointer after its prologue:
//   0..31  the called mode's home space    32  faultResult    40  return address
extern "C" int OmbrelGuardedCall(int (*mode)(const char* text), const char* text, int faultResult);
extern "C" void OmbrelGuardResume();

extern "C" __attribute__((used)) EXCEPTION_DISPOSITION OmbrelGuardHandler(
    EXCEPTION_RECORD* record, void* establisher, CONTEXT* context, DISPATCHER_CONTEXT* dispatch) {
  EXCEPTION_DISPOSITION disposition;
  if (!GuardTakesFault(record, context, &disposition)) return disposition;

  SetSaverRunning(false);
  const int faultResult = *reinterpret_cast<int*>(static_cast<char*>(establisher) + 32);
  // Runs the unwind handlers of the frames inside the guard and resumes at
  // OmbrelGuardResume with faultResult in the result register: no return.
  RtlUnwindEx(establisher, reinterpret_cast<void*>(OmbrelGuardResume), record,
              reinterpret_cast<void*>(static_cast<intptr_t>(faultResult)), dispatch->ContextRecord,
              dispatch->HistoryTable);
  return ExceptionContinueSearch;
}

asm(R"(
  .text
  .globl OmbrelGuardedCall
  .def OmbrelGuardedCall; .scl 2; .type 32; .endef
  .seh_proc OmbrelGuardedCall
OmbrelGuardedCall:
  subq $40, %rsp
  .seh_stackalloc 40
  .seh_endprologue
  .seh_handler OmbrelGuardHandler, @except
  movl %r8d, 32(%rsp)
  movq %rcx, %rax
  movq %rdx, %rcx
  call *%rax
  nop
  .globl OmbrelGuardResume
OmbrelGuardResume:
  addq $40, %rsp
  ret
  .seh_endproc
)");

int RunGuarded(int (*mode)(const char* text), const char* text, int faultResult) {
  return OmbrelGuardedCall(mode, text, faultResult);
}
#else
#error "The fault guard is written for 32-bit x86 and x86-64 Windows only."
#endif
