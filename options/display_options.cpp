#include "options/display_options.h"

#include "options/setting_options.h"

CommandLine ParseDisplayOptions(int argc, const char* const* argv, DisplayOptions& options, std::string& error,
                                std::vector<ProgramOption> own) {
  own.push_back({"--delay", true, [&options](const std::string& value, std::string& error) {
                   const std::optional<double> delay = ParseWholeNumber(value);
                   if (!delay || *delay > kMaxDelayMicroseconds) {
                     error = ExpectsMessage("--delay", "a whole number of microseconds from 0 to 10000000", value);
                     return false;
                   }
                   options.DelayMicroseconds = static_cast<std::uint32_t>(*delay);
                   return true;
                 }});
  own.push_back({"--fps", false, [&options](const std::string&, std::string&) {
                   options.ShowFps = true;
                   return true;
                 }});
  own.push_back({"--frames-per-second", false, [](const std::string&, std::string& error) {
                   error = "unknown argument: --frames-per-second";
                   return false;
                 }});
  std::vector<ScenarioAction> actions;
  const CommandLine asked = ParseScenario(argc, argv, actions, error, own);
  for (const ScenarioAction& action : actions) {
    if (ApplySetting(action, options.Settings)) continue;
    if (action.Kind == ScenarioAction::kClock) options.Clock = action.Number;
    if (action.Kind == ScenarioAction::kFrames) options.Frames = action.Number;
  }
  return asked;
}
