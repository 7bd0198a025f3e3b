// ombrel-frames: renders the scene without any display and writes frames as
// PNG files.
//
//   ombrel-frames [scenario arguments] [--size WxH] [--out DIR] [--every N]
//
// Scenario arguments as for ombrel-sim (see options/scenario.h). --size is the
// picture size (1024x768), --out the folder for the files (frames), --every
// writes every N-th frame (1): frame-000001.png is the first frame.
// Exit code 0; 2 with one line on stderr for bad arguments; 1 when no
// OpenGL context can be made or a file cannot be written. --help and
// --version answer on stdout with 0.
//
// ombrel-frames-gles is the same program with the renderer drawing through
// the GL 1.1 layer (gl11/) on OpenGL ES 3 instead of the system's OpenGL: the
// same arguments give the same pictures, to within the rasteriser's rounding.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "options/program_messages.h"
#include "options/scenario.h"
#include "options/setting_options.h"
#include "options/whole_number.h"
#include "render/frame_driver.h"
#include "headless/offscreen_context.h"
#include "headless/render_context.h"

namespace {

struct FrameOptions {
  int Width = 1024, Height = 768;
  std::string Out = "frames";
  unsigned long Every = 1;
};

// A whole number from 1 to `most`.
bool ParsePositive(const std::string& text, unsigned long most, unsigned long& out) {
  const std::optional<double> number = ParseWholeNumber(text);
  if (!number || *number < 1 || *number > most) return false;
  out = static_cast<unsigned long>(*number);
  return true;
}

// --size WxH, --out DIR and --every N, written into `options`.
std::vector<ProgramOption> FrameOptionsOf(FrameOptions& options) {
  return {
      {"--size", true,
       [&options](const std::string& value, std::string& error) {
         const size_t x = value.find('x');
         unsigned long w = 0, h = 0;
         if (x == std::string::npos || !ParsePositive(value.substr(0, x), 16384, w) ||
             !ParsePositive(value.substr(x + 1), 16384, h)) {
           error = ExpectsMessage("--size", "WIDTHxHEIGHT, each from 1 to 16384", value);
           return false;
         }
         options.Width = static_cast<int>(w);
         options.Height = static_cast<int>(h);
         return true;
       }},
      {"--out", true,
       [&options](const std::string& value, std::string& error) {
         if (value.empty()) {
           error = ExpectsMessage("--out", "a folder", value);
           return false;
         }
         options.Out = value;
         return true;
       }},
      {"--every", true,
       [&options](const std::string& value, std::string& error) {
         if (!ParsePositive(value, 1048575, options.Every)) {
           error = ExpectsMessage("--every", "a whole number from 1 to 1048575", value);
           return false;
         }
         return true;
       }},
  };
}

std::string Usage() {
  return "Usage: ombrel-frames [OPTION]...\n"
         "Renders Ombrel's scene without a display and writes its frames as PNG files.\n"
         "The options are applied in order, like a script, starting from the Windows\n"
         "saver's defaults (in brackets).\n"
         "\n" +
         ScenarioHelp() +
         "  --size WxH               the picture size, each side 1 to 16384 (1024x768)\n"
         "  --out DIR                the folder for the files (frames)\n"
         "  --every N                write every N-th frame, 1 to 1048575 (1);\n"
         "                           frame-000001.png is the first frame\n"
         "  -h, --help               show this help and end\n"
         "  --version                show the version and end\n"
         "Settings:\n" +
         SettingsHelp() +
         "Every option may be written with one dash or two.\n"
         "Exit status: 0; 1 when no OpenGL context can be made or a file cannot be\n"
         "written; 2 for bad arguments.\n";
}

}  // namespace

int main(int argc, char** argv) {
  FrameOptions options;
  std::vector<ScenarioAction> actions;
  std::string error;
  const CommandLine asked = ParseScenario(argc, argv, actions, error, FrameOptionsOf(options));
  if (asked != CommandLine::kRun) return AnswerCommandLine(asked, "ombrel-frames", Usage(), error);

  OffscreenContext context;
  if (!CreateRenderContext(context, options.Width, options.Height, error)) {
    ReportError("ombrel-frames", error);
    return 1;
  }
  std::error_code made;
  std::filesystem::create_directories(options.Out, made);
  if (made) {
    ReportError("ombrel-frames", "cannot create " + options.Out + ": " + made.message());
    return 1;
  }

  unsigned long frame = 0;
  bool failed = false;
  RunScenario(actions, {[&] { StartScene(options.Width, options.Height); }, [&] {
                          RenderFrame();
                          if (failed || ++frame % options.Every != 0) return;
                          char name[32];
                          std::snprintf(name, sizeof name, "frame-%06lu.png", frame);
                          const std::string path = (std::filesystem::path(options.Out) / name).string();
                          if (!WritePng(path, options.Width, options.Height, context.ReadRgb(), error)) {
                            ReportError("ombrel-frames", error);
                            failed = true;
                          }
                        }});
  return failed ? 1 : 0;
}
