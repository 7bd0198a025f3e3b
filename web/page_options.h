// The page's parameters: the five settings by the command line's names and
// values (options/setting_table.h; read by options/setting_options.h,
// out-of-range numbers as the Windows saver reads stored ones; SettingsQuery
// writes them back), and the page's own:
//
//   scale=F    draw F times the output's pixels across and down, 0.25 to 1
//              (1), and let the browser scale the picture up
//   fps=1      the frame rate in a corner, as --fps does on X11
//   bench=1    no pacing: a frame on every animation callback (benchmarks)
//   clock=T    the calendar second of the first frame (0 to 4294967295);
//              frame i is seeded from second T + i / 60, as ombrel-frames does
//   frames=F   stop after F steps, ombrel-frames' F frames (0 to 4294967295)
//   awake=1    keep the screen on while the page shows, where the browser
//              offers a screen wake lock (the page's script takes it)
//
// The same names and values come from the address's query, the browser's
// stored settings, the settings panel and the wallpaper hosts' properties;
// the page applies them in that order of strength (stored first, then the
// address), so a link that names a setting wins over what the visitor stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "options/render_scale.h"
#include "options/setting_options.h"
#include "sim/scene_parameters.h"

// The most device pixels the page draws for a CSS pixel: a phone's 3 draws
// 2.25 times the pixels of 2 for a difference few can see. The render
// scale's range is options/render_scale.h's.
constexpr double kMostDevicePixelRatio = 2.0;

struct PageOptions {
  SaverSettingsRecord Settings = kDefaultSettings;
  double Scale = kMostScale;
  bool ShowFps = false;
  bool Unpaced = false;  // bench=1
  bool KeepAwake = false;  // awake=1
  std::optional<std::uint32_t> Clock;
  std::optional<std::uint32_t> Frames;
};

// kBounded: applied, but the number lay outside what the setting's panel
// control offers (a flag's 0 and 1, a slider's ends, the scale's 0.25 to 1).
// It is taken as the Windows saver takes such a stored number, particles
// beyond the 2100 that exist counting as 2100 and a scale as the nearest end;
// the caller says so.
enum class PageParameterStatus { kApplied, kBounded, kUnknownName, kMalformedValue };

// Applies one parameter to `options`. For an unknown name or a malformed
// value `options` is left as it was; then, and for kBounded, `error` says
// why, naming the parameter as it was written.
PageParameterStatus ApplyPageParameter(const std::string& name, const std::string& value, PageOptions& options,
                                       std::string& error);
