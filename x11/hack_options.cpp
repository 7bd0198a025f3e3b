#include "x11/hack_options.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "tools/scenario.h"

namespace {

// A whole number of 32 bits written in the digits of `base` (10 or 16) alone.
std::optional<std::uint32_t> ParseWhole(const std::string& text, int base) {
  const char* digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (text.empty() || text.find_first_not_of(digits) != std::string::npos) return std::nullopt;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), nullptr, base);
  if (errno == ERANGE || value > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

// The program's own options, written into `options`. --frames-per-second
// belongs to the headless tools: here frames follow real time.
std::vector<ProgramOption> OwnOptions(HackOptions& options) {
  return {
      {"--root", false,
       [&options](const std::string&, std::string&) {
         options.root = true;
         return true;
       }},
      {"--window-id", true,
       [&options](const std::string& value, std::string& error) {
         options.windowId = ParseWindowId(value);
         if (!options.windowId) error = "--window-id expects a window id (0x... or decimal), not '" + value + "'";
         return options.windowId.has_value();
       }},
      {"--delay", true,
       [&options](const std::string& value, std::string& error) {
         const std::optional<std::uint32_t> delay = ParseWhole(value, 10);
         if (!delay || *delay > kMaxDelayMicroseconds) {
           error = "--delay expects a whole number of microseconds from 0 to 10000000, not '" + value + "'";
           return false;
         }
         options.delayMicroseconds = *delay;
         return true;
       }},
      {"--fps", false,
       [&options](const std::string&, std::string&) {
         options.showFps = true;
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

std::optional<unsigned long> ParseWindowId(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::optional<std::uint32_t> id = hex ? ParseWhole(text.substr(2), 16) : ParseWhole(text, 10);
  if (!id || *id == 0) return std::nullopt;
  return *id;
}

bool ParseHackOptions(int argc, const char* const* argv, HackOptions& options, std::string& error) {
  std::vector<ScenarioAction> actions;
  if (!ParseScenario(argc, argv, actions, error, OwnOptions(options))) return false;
  for (const ScenarioAction& action : actions) {
    if (ApplySetting(action, options.settings)) continue;
    // The parser has checked both to be whole numbers of 32 bits.
    if (action.kind == ScenarioAction::kClock) options.clock = static_cast<std::uint32_t>(action.value);
    if (action.kind == ScenarioAction::kFrames) options.frames = static_cast<std::uint32_t>(action.value);
  }
  return true;
}

std::optional<WindowChoice> ChooseWindow(const HackOptions& options, const char* screensaverWindow,
                                         std::string& error) {
  if (options.windowId) return WindowChoice{WindowChoice::kGivenWindow, *options.windowId};
  if (!options.root) return WindowChoice{WindowChoice::kOwnWindow, 0};
  if (screensaverWindow == nullptr) return WindowChoice{WindowChoice::kRootWindow, 0};
  const std::optional<unsigned long> id = ParseWindowId(screensaverWindow);
  if (!id) {
    error = std::string("XSCREENSAVER_WINDOW holds no window id: '") + screensaverWindow + "'";
    return std::nullopt;
  }
  return WindowChoice{WindowChoice::kGivenWindow, *id};
}
