// The documents that list the five settings against the settings' table:
// the README, the manual page and XScreenSaver's settings description.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "options/setting_table.h"

namespace {

std::string SourceFile(const std::string& path) {
  std::ifstream in(std::string(OMBREL_SOURCE_DIR) + "/" + path);
  EXPECT_TRUE(in) << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The README's settings table, the manual page and XScreenSaver's settings
// description list the settings the table holds, with its values and
// defaults.
TEST(SettingDocuments, AgreeWithTheTable) {
  const std::string readme = SourceFile("README.md");
  const std::string manual = SourceFile("x11/ombrel.6");
  const std::string xml = SourceFile("x11/ombrel.xml");
  for (const SettingDescription& setting : SettingTable()) {
    const std::string name = setting.Name;
    const std::string fallback = WriteSetting(setting, kDefaultSettings);
    // The README's settings table: one row a setting, its default in brackets.
    const size_t row = readme.find("\n| `" + name + "` |");
    ASSERT_NE(row, std::string::npos) << "README: no row for " << name;
    const std::string line = readme.substr(row + 1, readme.find('\n', row + 1) - row - 1);
    EXPECT_NE(line.find("(" + fallback + ")"), std::string::npos) << "README: " << line << " lacks the default " << fallback;
    EXPECT_NE(manual.find("\\-\\-" + name), std::string::npos) << "ombrel.6: no --" << name;

    const size_t start = xml.find("id=\"" + name + "\"");
    ASSERT_NE(start, std::string::npos) << "ombrel.xml: no " << name;
    if (setting.Slider) {
      const std::string element = xml.substr(start, xml.find("/>", start) - start);
      const double first = setting.Slider->ValueAt(0), last = setting.Slider->ValueAt(kLastSliderPosition);
      std::ostringstream expected;
      expected << "low=\"" << std::min(first, last) << "\" high=\"" << std::max(first, last) << "\" default=\""
               << fallback << "\"";
      EXPECT_NE(element.find(expected.str()), std::string::npos) << element << " lacks " << expected.str();
    } else {
      // Each choice but the default is an argument the settings program adds.
      for (const SettingChoice& choice : setting.Choices) {
        if (choice.Value == fallback) continue;
        EXPECT_NE(xml.find("arg-set=\"--" + name + " " + choice.Value + "\""), std::string::npos)
            << "ombrel.xml: no --" << name << " " << choice.Value;
      }
    }
  }
}

}  // namespace
