#include "x11/hack_options.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

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
      {"--root", false,
       [&options](const std::string&, std::string&) {
         options.Root = true;
         return true;
       }},
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
      {"--verbose", false,
       [&options](const std::string&, std::string&) {
         options.Verbose = true;
         return true;
       }},
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

std::string HackUsage() {
  return "Usage: ombrel [OPTION]...\n"
         "Glowing particles bounce in a turning cube or sphere whose cells wear away or\n"
         "grow: Ombrel's scene as an XScreenSaver hack, drawn with OpenGL ES 3 through\n"
         "GLX, or where that cannot serve the window, through EGL, or else with OpenGL\n"
         "1.1 through GLX (the program ombrel-glx beside it).\n"
         "Without --root or --window-id it opens a 1024 x 768 window of its own, which\n"
         "Escape, q or closing the window end.\n"
         "\n"
         "  --root                   draw into the window in XSCREENSAVER_WINDOW, or\n"
         "                           into the root window when that is unset\n"
         "  --window-id ID           draw into window ID (0x... or decimal); wins over\n"
         "                           --root\n"
         "  --gl auto|glx-es|egl|glx how to draw: glx-es, OpenGL ES 3 through GLX,\n"
         "                           frames shown by its buffer swaps; egl, OpenGL ES 3\n"
         "                           on an EGL window surface; glx, OpenGL 1.1 through\n"
         "                           GLX (ombrel-glx). auto tries them in that order and\n"
         "                           draws with the first that serves the window; one\n"
         "                           named draws alone, or the program ends [auto]\n"
         "  --verbose                say what draws and how frames are shown, and why a\n"
         "                           path is passed over (which --fps says too)\n"
         "  --delay US               microseconds per frame, 0 to 10000000 (16666:\n"
         "                           60 frames a second; 0 as fast as it can)\n"
         "  --fps                    show the frame rate\n"
         "  --clock T                start at calendar second T, 0 to 4294967295,\n"
         "                           instead of the clock's\n"
         "  --frames F               end after F frames, 0 to 4294967295\n"
         "  -h, --help               show this help and end\n"
         "  --version                show the version and end\n"
         "Settings, with the Windows saver's defaults in brackets:\n" +
         SettingsHelp() +
         "Every option may be written with one dash or two; the last of a repeated\n"
         "option counts.\n"
         "SIGTERM and SIGINT end it with 0. Exit status: 0 when ended by a signal, a\n"
         "key, the window's close, after --frames or when its window is destroyed;\n"
         "1 when it cannot draw (no display, no OpenGL, a window it cannot use) or loses\n"
         "the X server; 2 for bad arguments.\n";
}

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
