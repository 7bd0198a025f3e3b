#include "wayland/saver_options.h"

#include <vector>

namespace {

// A whole number from `least` to `most`, or nothing.
std::optional<std::uint32_t> NumberWithin(const std::string& text, std::uint32_t least, std::uint32_t most) {
  const std::optional<double> number = ParseWholeNumber(text);
  if (!number || *number < least || *number > most) return std::nullopt;
  return static_cast<std::uint32_t>(*number);
}

// The program's own options, written into `options`. --frames-per-second
// belongs to the headless tools: here frames follow the display.
std::vector<ProgramOption> OwnOptions(SaverOptions& options) {
  return {
      {"--idle", true,
       [&options](const std::string& value, std::string& error) {
         options.IdleSeconds = NumberWithin(value, 1, kMaxIdleSeconds);
         if (!options.IdleSeconds) error = "--idle expects a whole number of seconds from 1 to 4294967, not '" + value + "'";
         return options.IdleSeconds.has_value();
       }},
      {"--delay", true,
       [&options](const std::string& value, std::string& error) {
         const std::optional<std::uint32_t> delay = NumberWithin(value, 0, kMaxSaverDelayMicroseconds);
         if (!delay) {
           error = "--delay expects a whole number of microseconds from 0 to 10000000, not '" + value + "'";
           return false;
         }
         options.DelayMicroseconds = *delay;
         return true;
       }},
      {"--fps", false,
       [&options](const std::string&, std::string&) {
         options.ShowFps = true;
         return true;
       }},
      {"--frames-per-second", false,
       [](const std::string&, std::string& error) {
         error = "unknown argument: --frames-per-second";
         return false;
       }},
  };
}

}  // namespace

CommandLine ParseSaverOptions(int argc, const char* const* argv, SaverOptions& options, std::string& error) {
  std::vector<ScenarioAction> actions;
  const CommandLine asked = ParseScenario(argc, argv, actions, error, OwnOptions(options));
  for (const ScenarioAction& action : actions) {
    if (ApplySetting(action, options.Settings)) continue;
    if (action.Kind == ScenarioAction::kClock) options.Clock = action.Number;
    if (action.Kind == ScenarioAction::kFrames) options.Frames = action.Number;
  }
  return asked;
}

std::string SaverUsage() {
  return "Usage: ombrel-wayland [OPTION]...\n"
         "Glowing particles bounce in a turning cube or sphere whose cells wear away or\n"
         "grow: Ombrel's scene on every output of a Wayland session, above all windows\n"
         "(a layer-shell overlay). Without --idle it shows the scene at once and ends on\n"
         "a key, a mouse button or a mouse movement of more than 4 pixels.\n"
         "\n"
         "  --idle SECONDS           stay running: show the scene after SECONDS, 1 to\n"
         "                           4294967, without input, hide it on input; until\n"
         "                           SIGTERM\n"
         "  --delay US               microseconds per step of the scene, 0 to 10000000\n"
         "                           (16666: 60 steps a second; 0 a step every frame\n"
         "                           the compositor asks for)\n"
         "  --fps                    show the frame rate\n"
         "  --clock T                start at calendar second T, 0 to 4294967295,\n"
         "                           instead of the clock's; frame i of an output then\n"
         "                           draws from second T + i / 60, as ombrel-frames does\n"
         "  --frames F               end after F frames on every output, 0 to 4294967295\n"
         "  -h, --help               show this help and end\n"
         "  --version                show the version and end\n"
         "Settings, with the Windows saver's defaults in brackets:\n" +
         SettingsHelp() +
         "Every option may be written with one dash or two; the last of a repeated\n"
         "option counts.\n"
         "SIGTERM and SIGINT end it with 0. Exit status: 0 when ended by a signal, by\n"
         "input or after --frames; 1 when it cannot draw (no Wayland compositor, no\n"
         "EGL with OpenGL ES 3, no idle protocol for --idle) or loses the compositor;\n"
         "2 for bad arguments.\n";
}
