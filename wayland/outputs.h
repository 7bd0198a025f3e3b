// The outputs and, while the scene is shown, their surfaces. Each output gets
// a surface of its own (wayland/surfaces.cpp): a layer-shell overlay anchored
// to all four edges (above every window), the wallpaper's background layer
// surface, or, where the compositor has no layer shell, a full-screen
// toplevel. Each surface shows a scene of its own at the output's size in
// pixels (its buffer scale is the output's, so a 2x output is sharp). Outputs
// that appear get a surface, outputs that go away are let go.
//
// The compositor's events are only recorded here; UpdateSurfaces, called by
// the loop, makes and destroys the surfaces and follows their sizes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pacing/frame_rate.h"
#include "pacing/step_clock.h"
#include "wayland/output_scene.h"

struct WaylandProgram;
struct Output;
struct wl_callback;
struct wl_egl_window;
struct wl_output;
struct wl_registry;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct wp_viewport;
struct zwlr_layer_surface_v1;

// One output's surface, its EGL window and the scene it shows.
struct OutputSurface {
  OutputSurface(Output& owner, const StepClock& steps) : Owner(owner), Steps(steps) {}
  ~OutputSurface();  // lets everything go, the scene too
  OutputSurface(const OutputSurface&) = delete;
  OutputSurface& operator=(const OutputSurface&) = delete;

  Output& Owner;
  wl_surface* Surface = nullptr;
  zwlr_layer_surface_v1* Layer = nullptr;  // or, without a layer shell:
  xdg_surface* XdgSurface = nullptr;
  xdg_toplevel* Toplevel = nullptr;
  wl_egl_window* EglWindow = nullptr;
  void* EglSurface = nullptr;
  // Stretches the blank buffer, and scales frames of the render scale up
  // (where the compositor can).
  wp_viewport* Viewport = nullptr;
  bool TakesKeyboard = false;       // the one overlay that asks for the keyboard
  bool BlankShown = false;          // mapped with the blank buffer, waiting for the keyboard

  // The size the compositor last asked for, in surface coordinates, and
  // whether it (or the output's scale) is still to be taken.
  int AskedWidth = 0, AskedHeight = 0;
  bool ConfigurePending = false;
  // The size and scale drawn at, once configured: the surface's size, the
  // output's scale, and the buffer's size in pixels (the output's pixels, or
  // with --scale that share of them, which the compositor scales up).
  int Width = 0, Height = 0;
  int BufferScale = 1;
  int PixelWidth = 0, PixelHeight = 0;
  bool Configured = false;

  bool FrameWanted = false;  // a frame callback came, or the first frame is due
  wl_callback* FrameCallback = nullptr;
  StepClock Steps;
  FrameRate Fps;
  std::uint64_t Drawn = 0;  // steps taken, as ombrel-frames counts its frames
  std::uint64_t Shown = 0;  // frames drawn
  OutputScenes::Scene Scene;
};

struct Output {
  ~Output();  // releases the output, with its surface
  WaylandProgram* Program;
  std::uint32_t RegistryName;  // the global's name in the registry
  std::uint32_t Version;
  wl_output* WlOutput = nullptr;
  std::string Name;  // the compositor's name for it (DP-1), from version 4
  int Scale = 1;
  int ModeWidth = 0, ModeHeight = 0;  // pixels
  bool Described = false;             // its first "done" came
  bool Closed = false;  // the compositor took its surface away: none until its next "done" or showing
  std::unique_ptr<OutputSurface> Surface;  // while the scene is shown on it
};

// Binds the registry's global `name` as a new output.
void AddOutput(WaylandProgram& program, wl_registry* registry, std::uint32_t name, std::uint32_t version);

// Lets the output that was the registry's global `name` go, if it was one.
void RemoveOutput(WaylandProgram& program, std::uint32_t name);

// The loop's work on the surfaces: a surface for each described output (each
// one named by --output) while the scene is shown, none while it is hidden or
// after the compositor closed one; the sizes and scales the compositor asked
// for taken; one overlay asking for the keyboard, and overlays that wait for
// it mapped blank. A surface that cannot get an EGL window fails the program.
void UpdateSurfaces(WaylandProgram& program);

// The surfaces' roles (wayland/surfaces.cpp).

// A new surface for `output`, its role given and first committed; the
// overlay asks for the keyboard when `keyboard` is set.
std::unique_ptr<OutputSurface> MakeSurface(Output& output, bool keyboard);

// Makes a configured overlay the one that asks for the keyboard.
void AskForKeyboard(OutputSurface& surface);

// Takes the size the compositor asked for (ConfigurePending).
void TakeConfigure(WaylandProgram& program, OutputSurface& surface);

// Maps a configured overlay with the blank buffer, over the whole output
// where the compositor can stretch it (so that the pointer comes to the
// overlay as it maps, and its cursor can be hidden), or as one pixel.
void ShowBlank(WaylandProgram& program, OutputSurface& surface);

// Makes the overlay's next commit, its first frame's, show that frame
// instead of the blank.
void LeaveBlank(OutputSurface& surface);
