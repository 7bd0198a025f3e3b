#include "wayland/wayland_options.h"

CommandLine ParseWaylandOptions(int argc, const char* const* argv, WaylandOptions& options, std::string& error) {
  const CommandLine asked = ParseDisplayOptions(
      argc, argv, options, error,
      {WholeNumberOption("--idle", 1, kMaxIdleSeconds, "a whole number of seconds from 1 to 4294967",
                         [&options](std::uint32_t seconds) { options.IdleSeconds = seconds; }),
       FlagOption("--background", options.Background),
       {"--output", true,
        [&options](const std::string& name, std::string& message) {
          if (name.empty()) message = "--output expects the name of an output, such as DP-1";
          else options.Outputs.push_back(name);
          return !name.empty();
        }},
       FlagOption("--verbose", options.Verbose)});
  if (asked != CommandLine::kRun) return asked;
  if (options.Background && options.IdleSeconds) error = "--background and --idle cannot be used together";
  else if (!options.Outputs.empty() && !options.Background) error = "--output is for --background";
  return error.empty() ? CommandLine::kRun : CommandLine::kBadArguments;
}

DisplayUsageParts WaylandUsageParts() {
  return {"ombrel-wayland",
          "Glowing particles bounce in a turning cube or sphere whose cells wear away or grow: Ombrel's scene on "
          "every output of a Wayland session, above all windows (a layer-shell overlay). Without --idle it shows "
          "the scene at once and ends on a key, a mouse button, the wheel or a mouse movement of more than 4 "
          "pixels. It steps aside for a screen lock, or any program that takes the keyboard, and one runs at a "
          "time on a display.",
          {
              {"--idle SECONDS",
               "stay running: show the scene after SECONDS, 1 to 4294967, without input, hide it on input; until "
               "SIGTERM"},
              {"--background",
               "show the scene as the wallpaper, under every window, until SIGTERM (input does not end it)"},
              {"--output NAME", "with --background: only on output NAME (repeat for several; all by default)"},
              {"--verbose",
               "say why it ends or hides (another copy runs, or another program took the keyboard), why frames are "
               "not scaled, and each output's steps and frames at the end"},
          },
          {
              {0, "when ended by a signal, by input, by a lock or after --frames, when another ombrel-wayland "
                  "runs on the display, and for --help and --version"},
              {1, "when it cannot draw (no Wayland compositor or runtime folder, no EGL with OpenGL ES 3, no idle "
                  "protocol or layer shell for --idle and --background) or loses the compositor"},
              {2, "for bad arguments"},
          }};
}

std::string WaylandUsage() { return DisplayUsage(WaylandUsageParts()); }
