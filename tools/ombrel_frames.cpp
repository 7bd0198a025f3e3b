// ombrel-frames: renders the scene without any display and writes frames as
// PNG files.
//
//   ombrel-frames [scenario arguments] [--size WxH] [--out DIR] [--every N]
//
// Scenario arguments as for ombrel-sim (see tools/scenario.h). --size is the
// picture size (1024x768), --out the folder for the files (frames), --every
// writes every N-th frame (1): frame-000001.png is the first frame.
// Exit code 0; 2 with one line on stderr for bad arguments; 1 when no
// OpenGL context can be made or a file cannot be written.
//
// ombrel-frames-gles is the same program with the renderer drawing through
// the GL 1.1 layer (gl11/) on OpenGL ES 3 instead of the system's OpenGL: the
// same arguments give the same pictures, to within the rasteriser's rounding.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "render/frame_driver.h"
#include "tools/offscreen_context.h"
#include "tools/render_context.h"
#include "tools/scenario.h"

namespace {

struct FrameOptions {
  int width = 1024, height = 768;
  std::string out = "frames";
  unsigned long every = 1;
};

bool ParsePositive(const std::string& text, unsigned long& out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  out = std::strtoul(text.c_str(), &end, 10);
  return *end == '\0' && out > 0 && out < (1ul << 20);
}

// --size WxH, --out DIR and --every N, written into `options`.
std::vector<ProgramOption> FrameOptionsOf(FrameOptions& options) {
  return {
      {"--size", true,
       [&options](const std::string& value, std::string& error) {
         const size_t x = value.find('x');
         unsigned long w = 0, h = 0;
         if (x == std::string::npos || !ParsePositive(value.substr(0, x), w) ||
             !ParsePositive(value.substr(x + 1), h) || w > 16384 || h > 16384) {
           error = "--size expects WIDTHxHEIGHT, each from 1 to 16384, not '" + value + "'";
           return false;
         }
         options.width = static_cast<int>(w);
         options.height = static_cast<int>(h);
         return true;
       }},
      {"--out", true,
       [&options](const std::string& value, std::string& error) {
         if (value.empty()) {
           error = "--out expects a folder";
           return false;
         }
         options.out = value;
         return true;
       }},
      {"--every", true,
       [&options](const std::string& value, std::string& error) {
         if (!ParsePositive(value, options.every)) {
           error = "--every expects a whole number of at least 1, not '" + value + "'";
           return false;
         }
         return true;
       }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  FrameOptions options;
  std::vector<ScenarioAction> actions;
  std::string error;
  if (!ParseScenario(argc, argv, actions, error, FrameOptionsOf(options))) {
    ReportError("ombrel-frames", error);
    return 2;
  }

  OffscreenContext context;
  if (!CreateRenderContext(context, options.width, options.height, error)) {
    ReportError("ombrel-frames", error);
    return 1;
  }
  std::error_code made;
  std::filesystem::create_directories(options.out, made);
  if (made) {
    ReportError("ombrel-frames", "cannot create " + options.out + ": " + made.message());
    return 1;
  }

  unsigned long frame = 0;
  bool failed = false;
  RunScenario(actions, {[&] { StartScene(options.width, options.height); }, [&] {
                          RenderFrame();
                          if (failed || ++frame % options.every != 0) return;
                          char name[32];
                          std::snprintf(name, sizeof name, "frame-%06lu.png", frame);
                          const std::string path = (std::filesystem::path(options.out) / name).string();
                          if (!WritePng(path, options.width, options.height, context.ReadRgb(), error)) {
                            ReportError("ombrel-frames", error);
                            failed = true;
                          }
                        }});
  return failed ? 1 : 0;
}
