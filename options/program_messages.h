// What the command-line programs say: the one-line error report, the
// version, the layout of their --help, and the answer to a command line that
// asks for no run.
#pragma once

#include <cstddef>
#include <string>

#include "options/command_line.h"

// The project's version, "1.0.0".
const char* OmbrelVersion();

// Prints "program: message" as one line on stderr, whatever the message
// quotes from its input: control characters are written as escapes (\n, \t,
// \xNN), so a newline in an argument cannot split the message.
void ReportError(const char* program, const std::string& message);

// The same for a bad argument, ending with "(see program --help)".
void ReportArgumentError(const char* program, const std::string& message);

// The help's width and the column of its options' text.
constexpr std::size_t kHelpWidth = 77;
constexpr std::size_t kHelpIndent = 27;

// `text` after `lead`, broken between words into lines of kHelpWidth at
// most, the lines after the first indented by `indent` spaces; each line
// ends with a line break.
std::string WrapText(const std::string& lead, std::size_t indent, const std::string& text);

// One option of a --help: "  --name value" padded to kHelpIndent, and
// `text` after it.
std::string HelpEntry(const std::string& option, const std::string& text);

// What a program does with a command line that asks for no run: the usage
// (kHelp) or "program VERSION" (kVersion) on stdout, returning 0 (1 when
// stdout cannot be written); for kBadArguments `error` as one line on stderr
// that ends "(see program --help)", returning 2.
int AnswerCommandLine(CommandLine asked, const char* program, const std::string& usage, const std::string& error);
