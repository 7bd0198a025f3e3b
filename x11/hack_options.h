// The command line of the X11 program and the window it draws into.
//
//   ombrel [--root | --window-id ID] [--gl auto|egl|glx] [--verbose] [--delay US]
//          [--fps] [--clock T] [--frames F] [--container cube|sphere]
//          [--decay 0|1] [--regeneration 0|1] [--permeability P] [--particles N]
//
// Every option may be written with one dash or two; --help, -h and --version
// ask for the usage or the version. The settings have the meanings and the
// parser of ombrel-sim and ombrel-frames (options/setting_options.h) and start from
// the Windows saver's defaults. Options may come in any order;
// one given twice counts with its last value, and --window-id wins over
// --root, so a preview command made by appending --window-id to a --root
// command line draws into the preview.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "options/display_options.h"

// Which OpenGL draws (--gl): EGL where it can serve the window and GLX
// where it cannot, or the one named.
enum class GlChoice { kAuto, kEgl, kGlx };

// The options every display program takes (options/display_options.h), the
// window choice and the OpenGL.
struct HackOptions : DisplayOptions {
  bool Root = false;                         // --root
  std::optional<unsigned long> WindowId;     // --window-id
  GlChoice Gl = GlChoice::kAuto;             // --gl
  bool Verbose = false;                      // --verbose
};

// Parses argv[1..argc-1] into `options`. Returns kBadArguments with `error`
// set (for one line on stderr) for an unknown option, a missing or malformed
// value; kHelp or kVersion when they are asked for.
CommandLine ParseHackOptions(int argc, const char* const* argv, HackOptions& options, std::string& error);

// What the program's --help says beside the display programs' shared options:
// its own options and every exit status (which x11/ombrel.6 repeats, held to
// this by the tests).
DisplayUsageParts HackUsageParts();

// The program's --help: every option with its default and real limits, the
// exit statuses.
std::string HackUsage();

// An X window id written in hex with 0x or 0X in front, or in decimal; 0 (no
// window) and values beyond 32 bits are not ids.
std::optional<unsigned long> ParseWindowId(const std::string& text);

// Where the frames go.
struct WindowChoice {
  enum WindowKind { kOwnWindow, kRootWindow, kGivenWindow };
  WindowKind Kind;
  unsigned long Id;  // for kGivenWindow
};

// --window-id's window; for --root the window named by XSCREENSAVER_WINDOW
// (`screensaverWindow`, null when the variable is unset), else the root
// window; without either option a window of the program's own. Returns
// nothing, with `error` set, when XSCREENSAVER_WINDOW holds no window id.
std::optional<WindowChoice> ChooseWindow(const HackOptions& options, const char* screensaverWindow,
                                         std::string& error);
