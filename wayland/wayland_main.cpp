// ombrel-wayland: the scene on every output of a Wayland session.
//
//   ombrel-wayland [options]      (see wayland/wayland_options.h and ombrel-wayland.6)
//
// Files by job: the connection and the registry (connection.cpp), the
// outputs (outputs.cpp) and their surfaces (surfaces.cpp), the seat's input
// (seat.cpp), the frames (drawing.cpp), and here the modes, the loop and
// main. Callbacks reach the program's state (program.h) through their
// records' back-pointers and only record what happened; the loop acts on it.
//
// Without --idle the scene shows at once and a key, a pointer button, the
// wheel or a pointer movement beyond the threshold ends the program. With
// --idle the program stays: the compositor's idle notification shows the
// scene, such input hides it again. Either way the overlays show the scene
// only while they hold the keyboard (wayland/keyboard_hold.h): where another
// program takes it, a screen lock above all, they go at once. One saver runs
// on a display. With --background the scene is the outputs' wallpaper, below
// every window, until a signal ends it.
//
// Exit statuses: WaylandUsageParts (wayland/wayland_options.cpp). Errors are
// one line on stderr.
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <string>

#include "options/program_messages.h"
#include "options/render_scale.h"
#include "posix/stop_signals.h"
#include "wayland/blank_buffer.h"
#include "wayland/connection.h"
#include "wayland/drawing.h"
#include "wayland/idle_watch.h"
#include "wayland/program.h"
#include "wayland/session.h"

namespace {

constexpr const char* kProgram = "ombrel-wayland";

void Say(const WaylandProgram& program, const std::string& line) {
  if (program.Options.Verbose) ReportError(kProgram, line);
}

// The keyboard went to another program, or never came: the overlays go at
// once, before another frame is drawn, and the program ends, or with --idle
// waits for the next idle time.
void StepAside(WaylandProgram& program) {
  const bool idle = program.Options.IdleSeconds.has_value();
  Say(program, std::string(program.Keyboard.Taken()
                               ? "another program took the keyboard (a screen lock?)"
                               : "the keyboard did not come to the scene within " +
                                     std::to_string(kKeyboardBound.count()) + " s (a screen lock holds it?)") +
                   (idle ? "; the scene hides until the next idle time" : "; ending"));
  program.Shown = false;
  program.Keyboard.Reset();
  if (!idle) program.Ended = true;
}

int Run(WaylandProgram& program) {
  if (!Connect(program)) return 1;
  SaverSettings = program.Options.Settings;
  if (program.Options.Frames && *program.Options.Frames == 0) return 0;
  if (program.LayerShell == nullptr)
    ReportError(kProgram, "the compositor has no layer shell; showing the scene in full-screen windows instead");
  if (program.Options.Scale < 1 && program.Viewporter == nullptr)
    Say(program, "--scale " + DecimalText(program.Options.Scale) +
                     ": the compositor offers no wp_viewporter to scale frames up with; drawing at the outputs' size");
  if (Guarded(program) && (program.Blank = MakeBlankBuffer(program.Shm)) == nullptr) {
    ReportError(kProgram, "cannot make a buffer in shared memory");
    return 1;
  }

  IdleWatch idle;
  if (program.Options.IdleSeconds) {
    idle.OnIdle = [&program] { ShowScene(program); };
    if (!idle.Start(program.ExtIdle, program.KdeIdle, program.Input.WlSeat, *program.Options.IdleSeconds * 1000u)) {
      ReportError(kProgram, "the compositor's idle notifications cannot be started");
      return 1;
    }
  } else {
    ShowScene(program);
  }
  while (!program.Ended) {
    TakeSeatRecords(program);
    if (program.Shown && Guarded(program) && program.Keyboard.Lost(KeyboardHold::Clock::now())) StepAside(program);
    UpdateSurfaces(program);
    if (program.Ended) break;
    if (program.Keyboard.Held()) DrawDueFrames(program);
    if (program.Ended) break;
    const auto until = program.Shown && Guarded(program) ? program.Keyboard.Deadline() : std::nullopt;
    if (!Dispatch(program.Display, until)) Fail(program, ConnectionError(program.Display));
  }
  for (const auto& output : program.Outputs)
    if (output->Surface != nullptr)
      Say(program, (output->Name.empty() ? std::string("an output") : output->Name) +
                       ": steps taken: " + std::to_string(output->Surface->Drawn) +
                       ", frames drawn: " + std::to_string(output->Surface->Shown));
  // The last requests (frames, or surfaces let go) reach the compositor
  // before the program ends.
  if (program.Error.empty() && wl_display_roundtrip(program.Display) < 0)
    program.Error = ConnectionError(program.Display);
  if (!program.Error.empty()) {
    ReportError(kProgram, program.Error);
    return 1;
  }
  return 0;
}

}  // namespace

bool Guarded(const WaylandProgram& program) { return program.LayerShell != nullptr && !program.Options.Background; }

bool Scaled(const WaylandProgram& program) {
  return program.Options.Scale < kMostScale && program.Viewporter != nullptr;
}

void Fail(WaylandProgram& program, const std::string& error) {
  if (program.Error.empty()) program.Error = error;
  program.Ended = true;
}

void ShowScene(WaylandProgram& program) {
  if (program.Shown) return;
  program.Shown = true;
  program.Input.Threshold.Reset();
  program.Keyboard.Reset();
  // Nothing to hold where the scene is no overlay, or the seat has no keyboard.
  if (!Guarded(program) || program.Input.Keyboard == nullptr) program.Keyboard.NotNeeded();
  for (auto& output : program.Outputs) output->Closed = false;
}

void EndScene(WaylandProgram& program) {
  if (!program.Shown || program.Options.Background) return;
  if (program.Options.IdleSeconds) program.Shown = false;
  else program.Ended = true;
}

int main(int argc, char** argv) {
  EndOnStopSignals();
  static WaylandProgram program;
  std::string error;
  const CommandLine asked = ParseWaylandOptions(argc, argv, program.Options, error);
  if (asked != CommandLine::kRun) return AnswerCommandLine(asked, kProgram, WaylandUsage(), error);
  std::string socket;
  if (!SessionSocket(socket, error)) {
    ReportError(kProgram, error);
    return 1;
  }
  // One saver a display: a second one (swayidle's, say, while the first still
  // shows) ends at once. The wallpaper is no saver.
  if (!program.Options.Background && !socket.empty() &&
      HoldLockFile(SaverLockPath(socket)) == LockFile::kHeldByAnother) {
    Say(program, "another ombrel-wayland shows the scene on this Wayland display; this one ends");
    return 0;
  }
  // The process ends here without tearing down: the compositor frees what
  // the connection held.
  const int status = Run(program);
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(status);
}
