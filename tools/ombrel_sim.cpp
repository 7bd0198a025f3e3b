// ombrel-sim: runs the simulation without any display and prints the whole
// scene state afterwards, one item a line, every float as %.9g.
//
//   ombrel-sim [scenario arguments]      (see options/scenario.h)
//
// Exit code 0, or 2 with one line on stderr for bad arguments; --help and
// --version answer on stdout with 0.
#include <cstdio>
#include <string>
#include <vector>

#include "sim/cube_shell.h"
#include "sim/particle_swarm.h"
#include "sim/random_source.h"
#include "sim/scene_data.h"
#include "sim/sphere_shell.h"
#include "options/program_messages.h"
#include "options/scenario.h"
#include "options/setting_options.h"

namespace {

void PrintColour(const Colour& c) {
  std::printf(" %.9g %.9g %.9g %.9g\n", double(c.r), double(c.g), double(c.b), double(c.a));
}

void PrintScene() {
  std::printf("random %u\n", static_cast<unsigned>(RandomSource.State));
  std::printf("framecounter %d\n", static_cast<int>(FrameCounter));
  for (int i = 0; i < kSwarmSize; ++i) {
    const Particle& p = ParticleSwarm.Particles[i];
    std::printf("particle %d %d %.9g %.9g %.9g %.9g %.9g %.9g\n", i, p.Outside ? 1 : 0,
                double(p.Position.x), double(p.Position.y), double(p.Position.z),
                double(p.Velocity.x), double(p.Velocity.y), double(p.Velocity.z));
  }
  for (int slot = 0; slot < kCubeSlots; ++slot) {
    if (CubeShell.Counters[slot] != 0)
      std::printf("cube %d %d\n", slot, static_cast<int>(CubeShell.Counters[slot]));
  }
  for (int slot = 0; slot < kCubeSlots; ++slot) {
    std::printf("cubecolour %d", slot);
    PrintColour(CubeShell.Colours[slot]);
  }
  for (int row = 0; row < kSphereRows; ++row) {
    for (int column = 0; column < kSphereColumns; ++column) {
      const float counter = SphereShell.Counters[row][column];
      if (counter != 0.0f) std::printf("sphere %d %d %.9g\n", row, column, double(counter));
    }
  }
  for (int row = 0; row <= 180; row += 10) {
    for (int column = 0; column <= 180; column += 10) {
      std::printf("spherecolour %d %d", row, column);
      PrintColour(SphereShell.Colours[row][column]);
    }
  }
}

std::string Usage() {
  return "Usage: ombrel-sim [OPTION]...\n"
         "Runs Ombrel's scene simulation without a display and prints the whole scene\n"
         "state afterwards, one item a line. The options are applied in order, like a\n"
         "script, starting from the Windows saver's defaults (in brackets).\n"
         "\n" +
         ScenarioHelp() +
         "  -h, --help               show this help and end\n"
         "  --version                show the version and end\n"
         "Settings:\n" +
         SettingsHelp() +
         "Every option may be written with one dash or two.\n"
         "Exit status: 0, or 2 for bad arguments.\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<ScenarioAction> actions;
  std::string error;
  const CommandLine asked = ParseScenario(argc, argv, actions, error);
  if (asked != CommandLine::kRun) return AnswerCommandLine(asked, "ombrel-sim", Usage(), error);
  RunScenario(actions, {InitSceneData, SimulateFrame});
  PrintScene();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
