#include "options/program_messages.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

const char* OmbrelVersion() { return OMBREL_VERSION; }

void ReportError(const char* program, const std::string& message) {
  std::string line;
  for (const unsigned char c : message) {
    if (c == '\n') line += "\\n";
    else if (c == '\t') line += "\\t";
    else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      line += escape;
    } else line += static_cast<char>(c);
  }
  std::fprintf(stderr, "%s: %s\n", program, line.c_str());
}

void ReportArgumentError(const char* program, const std::string& message) {
  ReportError(program, message + " (see " + program + " --help)");
}

std::string WrapText(const std::string& lead, std::size_t indent, const std::string& text) {
  std::string wrapped, line = lead, word;
  bool words = false;  // the line holds a word of `text`
  std::istringstream in(text);
  while (in >> word) {
    if (words && line.size() + 1 + word.size() > kHelpWidth) {
      wrapped += line + "\n";
      line.assign(indent, ' ');
      words = false;
    }
    line += (words ? " " : "") + word;
    words = true;
  }
  return wrapped + line + "\n";
}

std::string HelpEntry(const std::string& option, const std::string& text) {
  std::string lead = "  " + option;
  lead.resize(std::max(lead.size() + 1, kHelpIndent), ' ');
  return WrapText(lead, kHelpIndent, text);
}

int AnswerCommandLine(CommandLine asked, const char* program, const std::string& usage, const std::string& error) {
  if (asked == CommandLine::kBadArguments) {
    ReportArgumentError(program, error);
    return 2;
  }
  if (asked == CommandLine::kHelp) std::fputs(usage.c_str(), stdout);
  else std::printf("%s %s\n", program, OmbrelVersion());
  if (std::fflush(stdout) != 0) {
    ReportError(program, "cannot write to standard output");
    return 1;
  }
  return 0;
}
