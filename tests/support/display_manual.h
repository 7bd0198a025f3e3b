// Holds a display program's manual page to its --help: the page names every
// option the help lists (the program's own, the shared ones, the five
// settings), and its EXIT STATUS section says each exit status in the
// help's words. EXPECT_TRUE(ManualMatchesHelp(path, parts)).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "options/display_options.h"
#include "options/setting_table.h"

// The text of the manual page's section `name` as man shows it, near enough:
// the words of its lines and of its font macros (.B, .BI...), without font
// escapes, \- as -, every run of spaces one space.
inline std::string ManualSection(const std::string& path, const std::string& name) {
  std::ifstream in(path);
  std::string line, text;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.rfind(".SH ", 0) == 0) {
      inside = line.substr(4) == name;
      continue;
    }
    if (!inside) continue;
    if (line.rfind(".", 0) == 0) {
      const size_t space = line.find(' ');
      const std::string request = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
      if (request.empty() || request.find_first_not_of("BIR") != std::string::npos) continue;
      line = space == std::string::npos ? "" : line.substr(space + 1);
      line.erase(std::remove(line.begin(), line.end(), '"'), line.end());
    }
    text += line + " ";
  }
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\\f") == 0) {
      i += 2;  // the font's letter
    } else if (text.compare(i, 2, "\\-") == 0) {
      plain += '-';
      ++i;
    } else if (text[i] != ' ' || (!plain.empty() && plain.back() != ' ')) {
      plain += text[i];
    }
  }
  return plain;
}

// Whether `text` names option `option` ("--frames"), not only a longer one.
inline bool NamesOption(const std::string& text, const std::string& option) {
  for (size_t at = text.find(option); at != std::string::npos; at = text.find(option, at + 1)) {
    const size_t end = at + option.size();
    if (end == text.size() || (!std::isalnum(static_cast<unsigned char>(text[end])) && text[end] != '-')) return true;
  }
  return false;
}

inline ::testing::AssertionResult ManualMatchesHelp(const std::string& path, const DisplayUsageParts& parts) {
  const std::string options = ManualSection(path, "OPTIONS"), exits = ManualSection(path, "EXIT STATUS");
  if (options.empty() || exits.empty()) return ::testing::AssertionFailure() << path << ": no OPTIONS or EXIT STATUS";
  std::vector<std::string> names;
  std::vector<OptionHelp> help = parts.Own;
  help.insert(help.end(), DisplayOptionsHelp().begin(), DisplayOptionsHelp().end());
  for (const OptionHelp& entry : help) {
    std::istringstream words(entry.Option);
    for (std::string word; words >> word;) {
      if (word.back() == ',') word.pop_back();
      if (word[0] == '-') names.push_back(word);
    }
  }
  for (const SettingDescription& setting : SettingTable()) names.push_back("--" + std::string(setting.Name));
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  bool matches = true;
  for (const std::string& name : names) {
    if (NamesOption(options, name)) continue;
    result = (matches ? ::testing::AssertionFailure() : result) << "\nOPTIONS has no " << name;
    matches = false;
  }
  for (const ExitStatus& status : parts.Statuses) {
    const std::string said = std::to_string(status.Code) + " " + status.When;
    if (exits.find(said) != std::string::npos) continue;
    result = (matches ? ::testing::AssertionFailure() : result) << "\nEXIT STATUS does not say: " << said
                                                                << "\nbut: " << exits;
    matches = false;
  }
  return result;
}
