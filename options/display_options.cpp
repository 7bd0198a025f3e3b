#include "options/display_options.h"

#include "options/program_messages.h"
#include "options/scenario.h"
#include "options/setting_options.h"
#include "options/whole_number.h"

CommandLine ParseDisplayOptions(int argc, const char* const* argv, DisplayOptions& options, std::string& error,
                                std::vector<ProgramOption> own) {
  std::vector<ProgramOption> accepted = SettingOptions(options.Settings);
  accepted.push_back(WholeNumberOption("--delay", 0, kMaxDelayMicroseconds,
                                       "a whole number of microseconds from 0 to 10000000",
                                       [&options](std::uint32_t delay) { options.DelayMicroseconds = delay; }));
  accepted.push_back({"--scale", true, [&options](const std::string& value, std::string& error) {
                        const std::optional<double> scale = ParseDecimal(value);
                        if (!scale || *scale < kLeastScale || *scale > kMostScale) {
                          error = ExpectsMessage("--scale", "a number from " + DecimalText(kLeastScale) + " to " +
                                                                DecimalText(kMostScale), value);
                          return false;
                        }
                        options.Scale = *scale;
                        return true;
                      }});
  accepted.push_back(FlagOption("--fps", options.ShowFps));
  accepted.push_back(ClockOption([&options](std::uint32_t clock) { options.Clock = clock; }));
  accepted.push_back(FramesOption([&options](std::uint32_t frames) { options.Frames = frames; }));
  accepted.insert(accepted.end(), own.begin(), own.end());
  return ParseCommandLine(argc, argv, accepted, error);
}

const std::vector<OptionHelp>& DisplayOptionsHelp() {
  static const std::vector<OptionHelp> help = {
      {"--delay US",
       "microseconds per frame, 0 to 10000000 (16666: 60 frames a second; 0: a step every frame, as fast as "
       "frames come); the scene moves 60 steps a second at any delay"},
      {"--scale F",
       "draw F times the output's pixels across and down, 0.25 to 1 (1), and let the display scale the picture "
       "up: 0.5 draws a quarter of the pixels"},
      {"--fps", "show the frame rate"},
      {"--clock T",
       "start at calendar second T, 0 to 4294967295, instead of the clock's; frame i then draws from second "
       "T + i / 60, as ombrel-frames does"},
      {"--frames F",
       "end after F steps of the scene, 0 to 4294967295, the last one drawn (on every output, where there are "
       "several)"},
      {"-h, --help", "show this help and end"},
      {"--version", "show the version and end"},
  };
  return help;
}

std::string ExitStatusText(const std::vector<ExitStatus>& statuses) {
  std::string text = "Exit status:";
  for (const ExitStatus& status : statuses)
    text += std::string(&status == &statuses.front() ? " " : "; ") + std::to_string(status.Code) + " " + status.When;
  return text + ".";
}

std::string DisplayUsage(const DisplayUsageParts& parts) {
  std::string usage = std::string("Usage: ") + parts.Program + " [OPTION]...\n" + WrapText("", 0, parts.About) + "\n";
  for (const OptionHelp& option : parts.Own) usage += HelpEntry(option.Option, option.Text);
  for (const OptionHelp& option : DisplayOptionsHelp()) usage += HelpEntry(option.Option, option.Text);
  return usage + "Settings, with the Windows saver's defaults in brackets:\n" + SettingsHelp() +
         "Every option may be written with one dash or two; the last of a repeated\n"
         "option counts.\n" +
         WrapText("", 0, "SIGTERM and SIGINT end it with 0. " + ExitStatusText(parts.Statuses));
}
