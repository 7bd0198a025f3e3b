// The page's parameters: the five settings by the command line's names and
// values (options/setting_table.h; read by options/setting_options.h,
// out-of-range numbers as the Windows saver reads stored ones; SettingsQuery
// writes them back), and the page's own:
//
//   fps=1      the frame rate in a corner, as --fps does on X11
//   bench=1    no pacing: a frame on every animation callback (benchmarks)
//   clock=T    the calendar second of the first frame (0 to 4294967295);
//              frame i is seeded from second T + i / 60, as ombrel-frames does
//   frames=F   stop after F frames (0 to 4294967295)
//   awake=1    keep the screen on while the page shows, where the browser
//              offers a screen wake lock (the page's script takes it)
//
// The same names and values come from the address's query, the browser's
// stored settings and the settings panel; the page applies them in that
// order of strength (stored first, then the address), so a link that names a
// setting wins over what the visitor stored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "options/setting_options.h"
#include "sim/scene_parameters.h"

struct PageOptions {
  SaverSettingsRecord Settings = kDefaultSettings;
  bool ShowFps = false;
  bool Unpaced = false;  // bench=1
  bool KeepAwake = false;  // awake=1
  std::optional<std::uint32_t> Clock;
  std::optional<std::uint32_t> Frames;
};

enum class PageParameterStatus { kApplied, kUnknownName, kMalformedValue };

// Applies one parameter to `options`. For an unknown name or a malformed
// value `options` is left as it was and `error` says why, naming the
// parameter as it was written.
PageParameterStatus ApplyPageParameter(const std::string& name, const std::string& value, PageOptions& options,
                                       std::string& error);
