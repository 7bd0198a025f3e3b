#include "x11/hack_options.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "options/whole_number.h"

namespace {

// A window id's whole number of 32 bits in the digits of `base` (10 or 16) alone.
std::optional<std::uint32_t> ParseIdDigits(const std::string& text, int base) {
  const char* digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (text.empty() || text.find_first_not_of(digits) != std::string::npos) return std::nullopt;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), nullptr, base);
  if (errno == ERANGE) return std::nullopt;
  return Uint32Of(static_cast<double>(value));
}

// The program's own options, written into `options`: the window choice.
std::vector<ProgramOption> OwnOptions(HackOptions& options) {
  return {
      FlagOption("--root", options.Root),
      {"--window-id", true,
       [&options](const std::string& value, std::string& error) {
         options.WindowId = ParseWindowId(value);
         if (!options.WindowId) error = ExpectsMessage("--window-id", "a window id (0x... or decimal)", value);
         return options.WindowId.has_value();
       }},
      {"--gl", true,
       [&options](const std::string& value, std::string& error) {
         if (value == "auto") options.Gl = GlChoice::kAuto;
         else if (value == "glx-es") options.Gl = GlChoice::kGlxEs;
         else if (value == "egl") options.Gl = GlChoice::kEgl;
         else if (value == "glx") options.Gl = GlChoice::kGlx;
         else error = ExpectsMessage("--gl", "auto, glx-es, egl or glx", value);
         return error.empty();
       }},
      FlagOption("--verbose", options.Verbose),
  };
}

}  // namespace

std::optional<unsigned long> ParseWindowId(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::optional<std::uint32_t> id = hex ? ParseIdDigits(text.substr(2), 16) : ParseIdDigits(text, 10);
  if (!id || *id == 0) return std::nullopt;
  return *id;
}

CommandLine ParseHackOptions(int argc, const char* const* argv, HackOptions& options, std::string& error) {
  return ParseDisplayOptions(argc, argv, options, error, OwnOptions(options));
}

DisplayUsageParts HackUsageParts() {
  return {"ombrel",
          "Glowing particles bounce in a turning cube or sphere whose cells wear away or grow: Ombrel's scene as "
          "an XScreenSaver hack, drawn with OpenGL ES 3 through GLX, or where that cannot serve the window, through "
          "EGL, or else with OpenGL 1.1 through GLX (the program ombrel-glx beside it). Without --root or "
          "--window-id it opens a 1024 x 768 window of its own, which Escape, q or closing the window end.",
          {
              {"--root", "draw into the window in XSCREENSAVER_WINDOW, or into the root window when that is unset"},
              {"--window-id ID", "draw into window ID (0x... or decimal); wins over --root"},
              {"--gl auto|glx-es|egl|glx",
               "how to draw: glx-es, OpenGL ES 3 through GLX, frames shown by its buffer swaps; egl, OpenGL ES 3 on "
               "an EGL window surface; glx, OpenGL 1.1 through GLX (ombrel-glx). auto tries them in that order and "
               "draws with the first that serves the window; one named draws alone, or the program ends [auto]"},
              {"--verbose",
               "say what draws and how frames are shown, why a path is passed over (which --fps says too), the "
               "size drawn at with --scale, and the steps and frames at the end"},
          },
          {
              {0, "when ended by a signal, a key, the window's close, after --frames or when its window is "
                  "destroyed, and for --help and --version"},
              {1, "when it cannot draw (no display, no OpenGL, a window it cannot use), loses the X server, or the "
                  "X server reports an error about a window that still exists"},
              {2, "for bad arguments"},
          }};
}

std::string HackUsage() { return DisplayUsage(HackUsageParts()); }

std::optional<WindowChoice> ChooseWindow(const HackOptions& options, const char* screensaverWindow,
                                         std::string& error) {
  if (options.WindowId) return WindowChoice{WindowChoice::kGivenWindow, *options.WindowId};
  if (!options.Root) return WindowChoice{WindowChoice::kOwnWindow, 0};
  if (screensaverWindow == nullptr) return WindowChoice{WindowChoice::kRootWindow, 0};
  const std::optional<unsigned long> id = ParseWindowId(screensaverWindow);
  if (!id) {
    error = std::string("XSCREENSAVER_WINDOW holds no window id: '") + screensaverWindow + "'";
    return std::nullopt;
  }
  return WindowChoice{WindowChoice::kGivenWindow, *id};
}
