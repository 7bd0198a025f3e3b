// A program's command line: the options it accepts, read in order. Every
// option may be written with one dash or two (-particles, --particles);
// --help, -h and --version ask for the usage or the version instead of a
// run. Each program hands over the list of what it accepts: the settings
// (options/setting_options.h), the scenario's or the display programs'
// options, its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One accepted option: its name with two dashes, whether a value follows it,
// and what to do with that value (empty for an option without one). `Apply`
// returns false with `error` set when the value is malformed.
struct ProgramOption {
  std::string Name;
  bool TakesValue;
  std::function<bool(const std::string& value, std::string& error)> Apply;
};

// An option without a value that sets `flag` (--fps, --verbose).
ProgramOption FlagOption(const std::string& name, bool& flag);

// An option whose value is a whole number from `least` to `most`, handed to
// `take`; any other value is refused with ExpectsMessage(name, expects, value).
ProgramOption WholeNumberOption(const std::string& name, std::uint32_t least, std::uint32_t most,
                                const std::string& expects, std::function<void(std::uint32_t)> take);

// What a command line asks for.
enum class CommandLine { kRun, kHelp, kVersion, kBadArguments };

// Applies argv[1..argc-1] to the `accepted` options in order, up to the
// first --help, -h or --version. Returns kBadArguments with `error` set for
// an option that is not accepted, a missing value or a value its option
// refuses.
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::vector<ProgramOption>& accepted,
                             std::string& error);
