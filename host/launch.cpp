#include "host/launch.h"

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
  EXCEPTION_REGISTRATION_RECORD registration;  // must come first: the system sees this
  void* resume[5];                             // __builtin_setjmp buffer
};

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* establisher,
                                           CONTEXT* context, void* /*dispatcher*/) {
  EXCEPTION_DISPOSITION disposition;
  if (!GuardTakesFault(record, context, &disposition)) return disposition;

  // Run the unwind handlers of the frames inside the guard, take the guard
  // off the chain and resume in RunGuarded.
  auto* frame = static_cast<GuardFrame*>(establisher);
  RtlUnwind(establisher, nullptr, record, nullptr);
  ThreadInformation()->ExceptionList = frame->registration.Next;
  SetSaverRunning(false);
  __builtin_longjmp(frame->resume, 1);
}
#endif

int RunSwitch(const char* tail) {
  const LaunchSwitch s = ReadSwitch(tail);
  switch (s.mode) {
    case LaunchMode::kConfigure:
      return RunConfigDialog(nullptr);
    case LaunchMode::kSaver:
      return RunSaverWindow(nullptr);
    case LaunchMode::kPreview:
      return RunPreview(s.text);
    case LaunchMode::kConfigureSwitch: {
      HWND owner = *s.text == ':' ? ExistingWindow(s.text + 1) : nullptr;
      return RunConfigDialog(owner ? owner : GetForegroundWindow());
    }
    case LaunchMode::kChangePassword:
      return SaverHostState.OnWindows9x ? RunChangePassword(SkipSpaces(s.text)) : -1;
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

#if defined(__i386__)
int RunGuarded(int (*mode)(const char* text), const char* text, int faultResult) {
  GuardFrame frame;
  NT_TIB* tib = ThreadInformation();
  if (__builtin_setjmp(frame.resume)) return faultResult;  // resumed by GuardHandler
  frame.registration.Next = tib->ExceptionList;
  frame.registration.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(GuardHandler);
  tib->ExceptionList = &frame.registration;
  const int result = mode(text);
  tib->ExceptionList = frame.registration.Next;
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
#endif

int SaverLaunch(HINSTANCE instance, const char* argumentTail) {
  InitHostState(instance);
  // The exit code after a handled fault is ours to choose: -1, as for failure.
  return RunGuarded(RunSwitch, argumentTail, -1);
}

void SaverEntry() {
  const char* tail = FindArgumentTail(GetCommandLineA());
  ExitProcess(static_cast<UINT>(SaverLaunch(GetModuleHandleA(nullptr), tail)));
}
