// The command line of the Wayland program: ombrel's, without its window
// choice, and its own modes.
//
//   ombrel-wayland [--idle SECONDS | --background [--output NAME]...] [--verbose]
//                  [--delay US] [--fps] [--clock T] [--frames F]
//                  [--container cube|sphere] [--decay 0|1] [--regeneration 0|1]
//                  [--permeability P] [--particles N]
//
// Every option may be written with one dash or two; --help, -h and --version
// ask for the usage or the version. The settings, --clock and --frames are
// read by the options library as ombrel and ombrel-frames read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "options/display_options.h"

// The options every display program takes (options/display_options.h;
// --frames counts the frames of every output), and the program's own.
struct WaylandOptions : DisplayOptions {
  std::optional<std::uint32_t> IdleSeconds;  // --idle: show after this long without input
  bool Background = false;                   // --background: the scene as the outputs' wallpaper
  std::vector<std::string> Outputs;          // --output, repeated: the wallpaper's outputs (all when empty)
  bool Verbose = false;                      // --verbose: say why it ends or hides
};

// The longest --idle: its milliseconds fit the idle protocols' 32 bits.
constexpr std::uint32_t kMaxIdleSeconds = 4'294'967;

// Parses argv[1..argc-1] into `options`. Returns kBadArguments with `error`
// set (for one line on stderr) for an unknown option, a missing or malformed
// value, --idle with --background, or --output without --background; kHelp or
// kVersion when they are asked for.
CommandLine ParseWaylandOptions(int argc, const char* const* argv, WaylandOptions& options, std::string& error);

// What the program's --help says beside the display programs' shared options:
// its own options and every exit status (which ombrel-wayland.6 repeats,
// held to this by the tests).
DisplayUsageParts WaylandUsageParts();

// The program's --help: every option with its default and real limits, the
// exit statuses.
std::string WaylandUsage();
