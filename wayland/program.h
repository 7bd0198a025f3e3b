// The Wayland program's state: one record that every callback reaches
// through its own record's back-pointer (an output's, a surface's, the
// seat's), never through a global. Callbacks only record what happened; the
// loop in wayland_main.cpp acts on it: it takes the seat's records
// (TakeSeatRecords), makes and lets go of surfaces (UpdateSurfaces), steps
// aside when the keyboard is lost and draws (DrawDueFrames).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "egl/egl_window_context.h"
#include "wayland/keyboard_hold.h"
#include "wayland/output_scene.h"
#include "wayland/outputs.h"
#include "wayland/seat.h"
#include "wayland/wayland_options.h"

struct wl_buffer;
struct wl_display;
struct wl_compositor;
struct wl_shm;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct xdg_wm_base;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;

struct WaylandProgram {
  WaylandOptions Options;
  wl_display* Display = nullptr;

  // The compositor's globals that the program uses (null where it offers none).
  wl_compositor* Compositor = nullptr;
  wl_shm* Shm = nullptr;
  wp_viewporter* Viewporter = nullptr;
  zwlr_layer_shell_v1* LayerShell = nullptr;
  xdg_wm_base* WmBase = nullptr;
  ext_idle_notifier_v1* ExtIdle = nullptr;
  org_kde_kwin_idle* KdeIdle = nullptr;
  Seat Input{this};  // the first seat (not bound for --background)
  std::vector<std::unique_ptr<Output>> Outputs;

  EglWindowContext Egl;
  OutputScenes Scenes;
  wl_buffer* Blank = nullptr;  // what the overlays show until the keyboard comes (wayland/blank_buffer.h)
  bool Shown = false;          // the scene is to be shown on every output
  KeyboardHold Keyboard;       // whether the shown overlays hold the keyboard
  bool Ended = false;
  std::string Error;  // what ends the program with 1
};

// Whether the scene is an overlay that must hold the keyboard to show: the
// saver on the layer shell (not the wallpaper, nor the full-screen windows
// where there is no layer shell).
bool Guarded(const WaylandProgram& program);

// Whether frames are drawn at the render scale (--scale below 1), which the
// compositor scales up through wp_viewporter; where it offers none, they are
// drawn at the outputs' size.
bool Scaled(const WaylandProgram& program);

// Ends the program with `error` (the first one given, if several come).
void Fail(WaylandProgram& program, const std::string& error);

// Shows the scene on every output: at the start, or when the seat is idle.
void ShowScene(WaylandProgram& program);

// Input that ends a shown scene (wayland/seat.cpp): it ends the program, or
// with --idle hides the scene until the seat is idle again.
void EndScene(WaylandProgram& program);
