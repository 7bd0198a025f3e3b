#include "wayland/wayland_options.h"

CommandLine ParseWaylandOptions(int argc, const char* const* argv, WaylandOptions& options, std::string& error) {
  return ParseDisplayOptions(argc, argv, options, error,
                             {WholeNumberOption("--idle", 1, kMaxIdleSeconds, "a whole number of seconds from 1 to 4294967",
                                                [&options](std::uint32_t seconds) { options.IdleSeconds = seconds; })});
}

DisplayUsageParts WaylandUsageParts() {
  return {"ombrel-wayland",
          "Glowing particles bounce in a turning cube or sphere whose cells wear away or grow: Ombrel's scene on "
          "every output of a Wayland session, above all windows (a layer-shell overlay). Without --idle it shows "
          "the scene at once and ends on a key, a mouse button or a mouse movement of more than 4 pixels.",
          {
              {"--idle SECONDS",
               "stay running: show the scene after SECONDS, 1 to 4294967, without input, hide it on input; until "
               "SIGTERM"},
          },
          {
              {0, "when ended by a signal, by input or after --frames, and for --help and --version"},
              {1, "when it cannot draw (no Wayland compositor, no EGL with OpenGL ES 3, no idle protocol or layer "
                  "shell for --idle) or loses the compositor"},
              {2, "for bad arguments"},
          }};
}

std::string WaylandUsage() { return DisplayUsage(WaylandUsageParts()); }
