// One setting by name and value, and the number parser under it: what is
// read, what is refused, and out-of-range numbers taken as the Windows saver
// takes stored ones.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "options/setting_options.h"
#include "options/setting_table.h"
#include "options/whole_number.h"
#include "sim/particle_swarm.h"
#include "tests/support/settings_records.h"

namespace {

TEST(WholeNumber, DecimalWholeNumbersInAnyNotation) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"0", 0},          {"7", 7},           {"0250", 250},     {"250.0", 250},
      {"250.", 250},     {"1e3", 1000},      {"1E+3", 1000},    {"2.5e1", 25},
      {"4294967295", 4294967295.0}, {"1e300", 1e300}, {"9007199254740992", 9007199254740992.0},
  };
  for (const auto& c : cases) {
    const std::optional<double> value = ParseWholeNumber(c.text);
    ASSERT_TRUE(value) << c.text;
    EXPECT_EQ(*value, c.value) << c.text;
  }
}

TEST(WholeNumber, EverythingElseIsRefused) {
  for (const char* text : {"", "ten", "nan", "NaN", "inf", "infinity", "1e999", "-1", "-0", "+5", " 5",
                           "5 ", "0x10", "1.5", "2.5e0", "1e-3", "1e-999", ".5", "1e", "1..0", "5-",
                           "1,000", "12abc"}) {
    EXPECT_FALSE(ParseWholeNumber(text)) << "'" << text << "' read as " << ParseWholeNumber(text).value_or(-1);
  }
  // A number followed by a NUL byte and more is no number.
  EXPECT_FALSE(ParseWholeNumber(std::string("5\0" "5", 3)));
}

TEST(WholeNumber, ThirtyTwoBitsAreZeroTo4294967295) {
  EXPECT_EQ(ParseUint32("0"), 0u);
  EXPECT_EQ(ParseUint32("4294967295"), 4294967295u);
  EXPECT_EQ(ParseUint32("4.294967295e9"), 4294967295u);
  for (const char* text : {"4294967296", "1e300", "-1", "1.5", "nan", ""})
    EXPECT_FALSE(ParseUint32(text)) << text;
  EXPECT_EQ(Uint32Of(4294967295.0), 4294967295u);
  for (const double number : {4294967296.0, -1.0, 0.5, std::nan("")}) EXPECT_FALSE(Uint32Of(number)) << number;
}

TEST(WholeNumber, TheOneMessageQuotesTheValue) {
  EXPECT_EQ(ExpectsMessage("--frames", "a whole number from 0 to 4294967295", "1.5"),
            "--frames expects a whole number from 0 to 4294967295, not '1.5'");
  EXPECT_EQ(ExpectsMessage("--out", "a folder", ""), "--out expects a folder, not ''");
}

// Parses name=value into a record that starts from the defaults.
SaverSettingsRecord Parsed(const std::string& name, const std::string& value) {
  SaverSettingsRecord settings = kDefaultSettings;
  std::string error;
  EXPECT_EQ(ParseSetting(name, value, settings, error), SettingStatus::kSet) << name << "=" << value;
  return settings;
}

TEST(Setting, EachSettingWritesItsField) {
  EXPECT_EQ(Parsed("container", "sphere").ObjectType, kSphereObject);
  EXPECT_EQ(Parsed("container", "cube").ObjectType, kCubeObject);
  EXPECT_EQ(Parsed("decay", "0").Decay, 0);
  EXPECT_EQ(Parsed("regeneration", "0").Regeneration, 0);
  EXPECT_EQ(Parsed("permeability", "21").Permeability, 21.0f);
  EXPECT_EQ(Parsed("particles", "2050").SpawnPoints, 2050.0f);
  // Only its own field changes.
  SaverSettingsRecord expected = kDefaultSettings;
  expected.SpawnPoints = 50.0f;
  EXPECT_TRUE(SameSettings(Parsed("particles", "50"), expected));
}

TEST(Setting, OutOfRangeNumbersAreTakenAsTheSaverLoadsStoredOnes) {
  // Flags: every number but 0 is 1.
  EXPECT_EQ(Parsed("decay", "7").Decay, 1);
  EXPECT_EQ(Parsed("regeneration", "4294967295").Regeneration, 1);
  // Counts as they are, however far outside the settings' ranges.
  EXPECT_EQ(Parsed("permeability", "0").Permeability, 0.0f);
  EXPECT_EQ(Parsed("particles", "0").SpawnPoints, 0.0f);
  EXPECT_EQ(Parsed("particles", "5000").SpawnPoints, 5000.0f);
  // Beyond the largest stored number: that number, rounded to single
  // precision as loading rounds it.
  EXPECT_EQ(Parsed("permeability", "4294967295").Permeability, 4294967296.0f);
  EXPECT_EQ(Parsed("permeability", "1e300").Permeability, 4294967296.0f);
  EXPECT_EQ(Parsed("particles", "16777217").SpawnPoints, 16777216.0f);

  // What the scene makes of a count above the pool: all of it.
  SaverSettings = Parsed("particles", "5000");
  EXPECT_EQ(ParticlesInPlay(), kSwarmSize);
  SaverSettings = Parsed("particles", "1e300");
  EXPECT_EQ(ParticlesInPlay(), kSwarmSize);
  SaverSettings = kDefaultSettings;
}

TEST(Setting, MalformedValuesAndUnknownNamesLeaveTheRecordAlone) {
  const struct {
    const char* name;
    const char* value;
    const char* message;  // nullptr: an unknown name
  } cases[] = {
      {"container", "cone", "container expects cube or sphere, not 'cone'"},
      {"container", "Cube", "container expects cube or sphere, not 'Cube'"},
      {"container", "1", "container expects cube or sphere, not '1'"},
      {"decay", "yes", "decay expects 0 or 1, not 'yes'"},
      {"decay", "-1", "decay expects 0 or 1, not '-1'"},
      {"regeneration", "0.5", "regeneration expects 0 or 1, not '0.5'"},
      {"permeability", "nan", "permeability expects a whole number of 0 or more, not 'nan'"},
      {"permeability", "-1", "permeability expects a whole number of 0 or more, not '-1'"},
      {"permeability", "10.5", "permeability expects a whole number of 0 or more, not '10.5'"},
      {"particles", "inf", "particles expects a whole number of 0 or more, not 'inf'"},
      {"particles", "1e999", "particles expects a whole number of 0 or more, not '1e999'"},
      {"particles", "", "particles expects a whole number of 0 or more, not ''"},
      {"resolution", "3", nullptr},
      {"--particles", "50", nullptr},
      {"Particles", "50", nullptr},
      {"", "", nullptr},
  };
  for (const auto& c : cases) {
    SaverSettingsRecord settings = kDefaultSettings;
    std::string expected = "untouched";
    const SettingStatus status = ParseSetting(c.name, c.value, settings, expected);
    EXPECT_TRUE(SameSettings(settings, kDefaultSettings)) << c.name << "=" << c.value;
    if (c.message == nullptr) {
      EXPECT_EQ(status, SettingStatus::kUnknownName) << c.name;
      EXPECT_EQ(FindSetting(c.name), nullptr) << c.name;
    } else {
      EXPECT_EQ(status, SettingStatus::kMalformedValue) << c.name << "=" << c.value;
      EXPECT_EQ(ExpectsMessage(c.name, expected, c.value), c.message);
      EXPECT_NE(FindSetting(c.name), nullptr) << c.name;
    }
  }
}

}  // namespace
