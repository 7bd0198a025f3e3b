#include "wayland/saver_options.h"

#include <vector>

#include "options/setting_options.h"

namespace {

// The program's own options, written into `options`: --idle.
std::vector<ProgramOption> OwnOptions(SaverOptions& options) {
  return {
      {"--idle", true,
       [&options](const std::string& value, std::string& error) {
         const std::optional<double> seconds = ParseWholeNumber(value);
         if (!seconds || *seconds < 1 || *seconds > kMaxIdleSeconds) {
           error = ExpectsMessage("--idle", "a whole number of seconds from 1 to 4294967", value);
           return false;
         }
         options.IdleSeconds = static_cast<std::uint32_t>(*seconds);
         return true;
       }},
  };
}

}  // namespace

CommandLine ParseSaverOptions(int argc, const char* const* argv, SaverOptions& options, std::string& error) {
  return ParseDisplayOptions(argc, argv, options, error, OwnOptions(options));
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
