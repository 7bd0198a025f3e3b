#include "wayland/outputs.h"

#include <wayland-client.h>

#include <algorithm>
#include <string>

#include "wayland/ignore_event.h"
#include "wayland/program.h"

namespace {

Output& OutputOf(void* data) { return *static_cast<Output*>(data); }

void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  OutputOf(data).ModeWidth = width;
  OutputOf(data).ModeHeight = height;
}

void OutputScale(void* data, wl_output*, std::int32_t scale) { OutputOf(data).Scale = scale > 0 ? scale : 1; }

void OutputName(void* data, wl_output*, const char* name) { OutputOf(data).Name = name; }

// The output's description is complete: it may have a surface, and a shown
// one takes a changed scale.
void OutputDone(void* data, wl_output*) {
  Output& output = OutputOf(data);
  output.Described = true;
  output.Closed = false;
  OutputSurface* surface = output.Surface.get();
  if (surface != nullptr && surface->Configured && surface->BufferScale != output.Scale)
    surface->ConfigurePending = true;
}

wl_output_listener OutputListener() {
  wl_output_listener listener{};
  listener.geometry = IgnoreEvent;
  listener.mode = OutputMode;
  listener.done = OutputDone;
  listener.scale = OutputScale;
  listener.name = OutputName;
  listener.description = IgnoreEvent;
  return listener;
}

const wl_output_listener kOutputListener = OutputListener();

// Whether the scene goes on `output`: every output, or those --output names.
bool Chosen(const WaylandProgram& program, const Output& output) {
  const auto& names = program.Options.Outputs;
  return names.empty() || std::find(names.begin(), names.end(), output.Name) != names.end();
}

bool KeyboardAsked(const WaylandProgram& program) {
  for (const auto& output : program.Outputs)
    if (output->Surface != nullptr && output->Surface->TakesKeyboard) return true;
  return false;
}

// Only one overlay asks for the keyboard: were each to ask, the compositor
// would move the keyboard between them as outputs come and change, and such
// a move could not be told from a lock taking it. When that overlay goes
// with its output, another configured one asks.
void KeepKeyboardAsked(WaylandProgram& program) {
  if (KeyboardAsked(program)) return;
  for (auto& output : program.Outputs) {
    OutputSurface* surface = output->Surface.get();
    if (surface == nullptr || !surface->Configured) continue;
    AskForKeyboard(*surface);
    program.Keyboard.Ask(KeyboardHold::Clock::now());
    return;
  }
}

}  // namespace

Output::~Output() {
  Surface.reset();
  if (WlOutput == nullptr) return;
  if (Version >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(WlOutput);
  else wl_output_destroy(WlOutput);
}

void AddOutput(WaylandProgram& program, wl_registry* registry, std::uint32_t name, std::uint32_t version) {
  auto output = std::make_unique<Output>();
  output->Program = &program;
  output->RegistryName = name;
  output->Version = version < 4 ? version : 4;
  output->WlOutput = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, output->Version));
  wl_output_add_listener(output->WlOutput, &kOutputListener, output.get());
  program.Outputs.push_back(std::move(output));
}

void RemoveOutput(WaylandProgram& program, std::uint32_t name) {
  for (auto it = program.Outputs.begin(); it != program.Outputs.end(); ++it) {
    if ((*it)->RegistryName != name) continue;
    program.Outputs.erase(it);
    return;
  }
}

void UpdateSurfaces(WaylandProgram& program) {
  const bool guarded = Guarded(program);
  for (auto& output : program.Outputs) {
    const bool wanted = program.Shown && output->Described && !output->Closed && Chosen(program, *output);
    if (!wanted) {
      output->Surface.reset();
    } else if (output->Surface == nullptr) {
      const bool keyboard = guarded && !KeyboardAsked(program);
      output->Surface = MakeSurface(*output, keyboard);
      if (keyboard) program.Keyboard.Ask(KeyboardHold::Clock::now());
    }
    OutputSurface* surface = output->Surface.get();
    if (surface == nullptr) continue;
    const bool configured = surface->ConfigurePending;
    if (configured) {
      TakeConfigure(program, *surface);
      if (!program.Error.empty()) return;
    }
    // Until the keyboard comes, an overlay shows nothing but is mapped (at
    // each size it is given), so that the compositor can give it the
    // keyboard; once it came, the first frame takes the blank's place.
    if (!guarded || !surface->Configured || surface->Drawn > 0) continue;
    if (program.Keyboard.Held() && surface->BlankShown) LeaveBlank(*surface);
    else if (!program.Keyboard.Held() && (!surface->BlankShown || configured)) ShowBlank(program, *surface);
  }
  if (guarded) KeepKeyboardAsked(program);
}
