#include "options/command_line.h"

#include "options/whole_number.h"

namespace {

// "-name" and "--name" both stand for "--name"; anything else is no option.
bool OptionName(const std::string& argument, std::string& name) {
  if (argument.size() < 2 || argument[0] != '-') return false;
  name = argument[1] == '-' ? argument : "-" + argument;
  return name.size() > 2 && name[2] != '-';
}

}  // namespace

ProgramOption FlagOption(const std::string& name, bool& flag) {
  return {name, false, [&flag](const std::string&, std::string&) {
            flag = true;
            return true;
          }};
}

ProgramOption WholeNumberOption(const std::string& name, std::uint32_t least, std::uint32_t most,
                                const std::string& expects, std::function<void(std::uint32_t)> take) {
  return {name, true, [name, least, most, expects, take](const std::string& value, std::string& error) {
            const std::optional<std::uint32_t> number = ParseUint32(value);
            if (!number || *number < least || *number > most) {
              error = ExpectsMessage(name, expects, value);
              return false;
            }
            take(*number);
            return true;
          }};
}

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::vector<ProgramOption>& accepted,
                             std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    std::string name;
    if (argument == "-h") return CommandLine::kHelp;
    if (!OptionName(argument, name)) {
      error = "unknown argument: " + argument;
      return CommandLine::kBadArguments;
    }
    if (name == "--help") return CommandLine::kHelp;
    if (name == "--version") return CommandLine::kVersion;

    const ProgramOption* option = nullptr;
    for (const ProgramOption& o : accepted)
      if (name == o.Name) option = &o;
    if (option == nullptr) {
      error = "unknown argument: " + argument;
      return CommandLine::kBadArguments;
    }
    std::string value;
    if (option->TakesValue) {
      if (i + 1 >= argc) {
        error = "missing value after " + name;
        return CommandLine::kBadArguments;
      }
      value = argv[++i];
    }
    if (!option->Apply(value, error)) return CommandLine::kBadArguments;
  }
  return CommandLine::kRun;
}
