// The settings' table, setting by setting: values survive the query the page
// stores, the dialog's sliders map positions to values and back, and
// malformed values are refused (their messages: setting_options_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "options/setting_options.h"
#include "options/setting_table.h"
#include "tests/support/settings_records.h"

namespace {

// Values each setting reads, written as WriteSetting writes them back.
std::vector<std::string> SampleValues(const SettingDescription& setting) {
  std::vector<std::string> values;
  for (const SettingChoice& choice : setting.Choices) values.push_back(choice.Value);
  if (setting.Kind == SettingKind::kCount) values = {"0", "1", "21", "250", "2050", "16777216", "4294967296"};
  return values;
}

// Applies every name=value of `query` to `settings`.
void ApplyQuery(const std::string& query, SaverSettingsRecord& settings) {
  std::istringstream pairs(query);
  std::string pair, expected;
  while (std::getline(pairs, pair, '&')) {
    const size_t equals = pair.find('=');
    ASSERT_NE(equals, std::string::npos) << pair;
    EXPECT_EQ(ParseSetting(pair.substr(0, equals), pair.substr(equals + 1), settings, expected), SettingStatus::kSet)
        << pair;
  }
}

TEST(SettingTable, EachValueSurvivesTheQuery) {
  for (const SettingDescription& setting : SettingTable()) {
    for (const std::string& value : SampleValues(setting)) {
      SaverSettingsRecord written = kDefaultSettings;
      ASSERT_TRUE(ReadSetting(setting, value, written)) << setting.Name << "=" << value;
      EXPECT_EQ(WriteSetting(setting, written), value) << setting.Name;

      const std::string query = SettingsQuery(written);
      EXPECT_NE(query.find(std::string(setting.Name) + "=" + value), std::string::npos) << query;
      // Read into a record that differs in every field the query names.
      SaverSettingsRecord read = {kSphereObject, 0, 0, 99.0f, 99.0f, kDefaultSettings.Resolution};
      if (written.ObjectType == kSphereObject) read.ObjectType = kCubeObject;
      if (written.Decay == 0) read.Decay = 1;
      if (written.Regeneration == 0) read.Regeneration = 1;
      ApplyQuery(query, read);
      EXPECT_TRUE(SameSettings(read, written)) << query;
    }
  }
  EXPECT_EQ(SettingsQuery(kDefaultSettings), "container=cube&decay=1&regeneration=1&permeability=10&particles=250");
}

TEST(SettingTable, FlagsWriteAnyNumberButZeroAsOne) {
  for (const SettingDescription& setting : SettingTable()) {
    if (setting.Kind != SettingKind::kFlag) continue;
    SaverSettingsRecord settings = kDefaultSettings;
    ASSERT_TRUE(ReadSetting(setting, "7", settings)) << setting.Name;
    EXPECT_EQ(WriteSetting(setting, settings), "1") << setting.Name;
    settings.*setting.ByteField = 200;  // as a stored byte may hold it
    EXPECT_EQ(WriteSetting(setting, settings), "1") << setting.Name;
  }
}

// The Windows configuration dialog's slider formulas: trunc((21 - v) * 0.5)
// and trunc((v - 50) * 0.005) clamped to 0..10 for the position, (10 - p) *
// 2 + 1 and p * 200 + 50 for the value.
struct DialogSlider {
  const char* name;
  double (*position)(double value);
  double (*value)(int position);
};
const DialogSlider kDialogSliders[] = {
    {"permeability", [](double v) { return std::trunc((21.0 - v) * 0.5); },
     [](int p) { return double((10 - p) * 2 + 1); }},
    {"particles", [](double v) { return std::trunc((v - 50.0) * 0.005); }, [](int p) { return double(p * 200 + 50); }},
};

TEST(SettingTable, SlidersMapAsTheDialogDoes) {
  int sliders = 0;
  for (const SettingDescription& setting : SettingTable()) sliders += setting.Slider.has_value();
  EXPECT_EQ(sliders, 2);

  for (const DialogSlider& dialog : kDialogSliders) {
    const SettingDescription* setting = FindSetting(dialog.name);
    ASSERT_TRUE(setting && setting->Slider) << dialog.name;
    const SliderMapping& slider = *setting->Slider;
    for (int p = 0; p <= kLastSliderPosition; ++p) {
      EXPECT_EQ(slider.ValueAt(p), dialog.value(p)) << dialog.name << " at " << p;
      EXPECT_EQ(slider.PositionOf(slider.ValueAt(p)), p) << dialog.name << " at " << p;
    }
    for (int v = 0; v <= 2100; ++v) {
      const double clamped = std::min(std::max(dialog.position(v), 0.0), double(kLastSliderPosition));
      EXPECT_EQ(slider.PositionOf(v), clamped) << dialog.name << " " << v;
    }
    // Stored values far outside the sliders show at their ends.
    for (const double v : {4294967296.0, -1e9, std::nan("")}) {
      const int position = slider.PositionOf(v);
      EXPECT_TRUE(position == 0 || position == kLastSliderPosition) << dialog.name << " " << v;
    }
  }
}

// Every setting refuses a word, saying what it expects.
TEST(SettingTable, MalformedValuesSayWhatTheSettingExpects) {
  for (const SettingDescription& setting : SettingTable()) {
    SaverSettingsRecord settings = kDefaultSettings;
    std::string expected;
    EXPECT_EQ(ParseSetting(setting.Name, "many", settings, expected), SettingStatus::kMalformedValue);
    EXPECT_EQ(expected, ExpectedValues(setting));
    EXPECT_TRUE(SameSettings(settings, kDefaultSettings)) << setting.Name;
  }
}

TEST(SettingTable, HelpGivesEverySettingWithItsDefault) {
  const std::string help = SettingsHelp();
  for (const SettingDescription& setting : SettingTable()) {
    const std::string option = "  --" + std::string(setting.Name) + " " + ValuePlaceholder(setting) + " ";
    EXPECT_NE(help.find(option), std::string::npos) << help;
    EXPECT_NE(help.find("(" + WriteSetting(setting, kDefaultSettings) + ")"), std::string::npos) << setting.Name;
  }
  EXPECT_NE(help.find("the Windows settings offer 21 (low)\n"), std::string::npos) << help;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 77u) << line;
}

TEST(SettingTable, JsonListsEverySettingInOrder) {
  const std::string json = SettingsJson();
  size_t at = 0;
  for (const SettingDescription& setting : SettingTable()) {
    const std::string entry = "{\"name\":\"" + std::string(setting.Name) + "\"";
    const size_t found = json.find(entry, at);
    ASSERT_NE(found, std::string::npos) << setting.Name << " in " << json;
    at = found + entry.size();
    EXPECT_NE(json.find("\"default\":\"" + WriteSetting(setting, kDefaultSettings) + "\"", at), std::string::npos);
  }
  EXPECT_NE(json.find("\"slider\":{\"last\":10,\"valueAtFirst\":21,\"step\":-2,\"firstEnd\":\"Low\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"lastEnd\":\"Lots\",\"valueText\":\"{} particles\"}"), std::string::npos) << json;
  EXPECT_EQ(json.front(), '[');
  EXPECT_EQ(json.back(), ']');
}

}  // namespace
