#include "web/page_options.h"

#include <gtest/gtest.h>

namespace {

PageParameterStatus Apply(PageOptions& options, const char* name, const char* value) {
  std::string error;
  return ApplyPageParameter(name, value, options, error);
}

TEST(PageOptions, StartFromTheWindowsSaversDefaults) {
  const PageOptions options;
  EXPECT_EQ(options.Settings.ObjectType, kCubeObject);
  EXPECT_EQ(options.Settings.Decay, 1);
  EXPECT_EQ(options.Settings.Regeneration, 1);
  EXPECT_EQ(options.Settings.Permeability, 10.0f);
  EXPECT_EQ(options.Settings.SpawnPoints, 250.0f);
  EXPECT_FALSE(options.ShowFps || options.Unpaced || options.Clock || options.Frames);
}

// The settings take the command line's names and values.
TEST(PageOptions, SettingsByTheCommandLinesNames) {
  PageOptions options;
  EXPECT_EQ(Apply(options, "container", "sphere"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "decay", "0"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "regeneration", "0"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "permeability", "3"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "particles", "2050"), PageParameterStatus::kApplied);
  EXPECT_EQ(options.Settings.ObjectType, kSphereObject);
  EXPECT_EQ(options.Settings.Decay, 0);
  EXPECT_EQ(options.Settings.Regeneration, 0);
  EXPECT_EQ(options.Settings.Permeability, 3.0f);
  EXPECT_EQ(options.Settings.SpawnPoints, 2050.0f);
}

// Numbers outside what the panel offers are read as the Windows saver reads
// stored settings (flags take every number but 0 as 1, counts stay as given
// up to the largest stored number, particles beyond the 2100 that exist count
// as 2100) and said, with the value taken.
TEST(PageOptions, NumbersOutsideThePanelsRangeAreTakenAsTheSaverTakesThemAndSaid) {
  const struct {
    const char* name;
    const char* value;
    const char* error;
  } cases[] = {
      {"decay", "7", "decay: 7 is outside 0 to 1, taken as 1"},
      {"particles", "99999", "particles: 99999 is outside 50 to 2050, taken as 2100"},
      {"particles", "2100", "particles: 2100 is outside 50 to 2050, taken as 2100"},
      {"particles", "10", "particles: 10 is outside 50 to 2050, taken as 10"},
      {"permeability", "0", "permeability: 0 is outside 1 to 21, taken as 0"},
      {"permeability", "1e20", "permeability: 1e20 is outside 1 to 21, taken as 4294967296"},
      {"scale", "2", "scale: 2 is outside 0.25 to 1, taken as 1"},
      {"scale", "0.1", "scale: 0.1 is outside 0.25 to 1, taken as 0.25"},
      {"scale", "0", "scale: 0 is outside 0.25 to 1, taken as 0.25"},
  };
  for (const auto& c : cases) {
    PageOptions options;
    std::string error;
    EXPECT_EQ(ApplyPageParameter(c.name, c.value, options, error), PageParameterStatus::kBounded) << c.value;
    EXPECT_EQ(error, c.error);
  }
  PageOptions options;
  EXPECT_EQ(Apply(options, "particles", "99999"), PageParameterStatus::kBounded);
  EXPECT_EQ(options.Settings.SpawnPoints, 2100.0f);
  EXPECT_EQ(Apply(options, "permeability", "0"), PageParameterStatus::kBounded);
  EXPECT_EQ(options.Settings.Permeability, 0.0f);
  EXPECT_EQ(Apply(options, "decay", "0"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "decay", "7"), PageParameterStatus::kBounded);
  EXPECT_EQ(options.Settings.Decay, 1);
  EXPECT_EQ(Apply(options, "scale", "3"), PageParameterStatus::kBounded);
  EXPECT_EQ(options.Scale, 1.0);
  // The panel's own ends are in range.
  for (const char* value : {"50", "2050", "1000"})
    EXPECT_EQ(Apply(options, "particles", value), PageParameterStatus::kApplied);
  for (const char* value : {"1", "21", "4"})
    EXPECT_EQ(Apply(options, "permeability", value), PageParameterStatus::kApplied);
}

TEST(PageOptions, PagesOwnParameters) {
  PageOptions options;
  EXPECT_EQ(options.Scale, 1.0);
  EXPECT_EQ(Apply(options, "scale", "0.5"), PageParameterStatus::kApplied);
  EXPECT_EQ(options.Scale, 0.5);
  EXPECT_EQ(Apply(options, "scale", ".25"), PageParameterStatus::kApplied);
  EXPECT_EQ(options.Scale, 0.25);
  EXPECT_EQ(Apply(options, "fps", "1"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "bench", "1"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "clock", "4294967295"), PageParameterStatus::kApplied);
  EXPECT_EQ(Apply(options, "frames", "0"), PageParameterStatus::kApplied);
  EXPECT_FALSE(options.KeepAwake);  // off unless asked
  EXPECT_EQ(Apply(options, "awake", "1"), PageParameterStatus::kApplied);
  EXPECT_TRUE(options.KeepAwake);
  EXPECT_TRUE(options.ShowFps);
  EXPECT_TRUE(options.Unpaced);
  EXPECT_EQ(options.Clock, 4294967295u);
  EXPECT_EQ(options.Frames, 0u);
  EXPECT_EQ(Apply(options, "fps", "0"), PageParameterStatus::kApplied);
  EXPECT_FALSE(options.ShowFps);
}

// A bad parameter changes nothing and says what it was.
TEST(PageOptions, UnknownAndMalformedParametersLeaveTheOptionsAsTheyWere) {
  struct Case {
    const char* name;
    const char* value;
    PageParameterStatus status;
  };
  const Case cases[] = {
      {"speed", "9", PageParameterStatus::kUnknownName},
      {"--particles", "100", PageParameterStatus::kUnknownName},
      {"Container", "cube", PageParameterStatus::kUnknownName},
      {"", "", PageParameterStatus::kUnknownName},
      {"container", "cone", PageParameterStatus::kMalformedValue},
      {"decay", "yes", PageParameterStatus::kMalformedValue},
      {"particles", "many", PageParameterStatus::kMalformedValue},
      {"particles", "", PageParameterStatus::kMalformedValue},
      {"permeability", "1x", PageParameterStatus::kMalformedValue},
      {"fps", "true", PageParameterStatus::kMalformedValue},
      {"bench", "", PageParameterStatus::kMalformedValue},
      {"awake", "yes", PageParameterStatus::kMalformedValue},
      {"clock", "4294967296", PageParameterStatus::kMalformedValue},
      {"clock", "-1", PageParameterStatus::kMalformedValue},
      {"frames", "1.5", PageParameterStatus::kMalformedValue},
      {"frames", " 5", PageParameterStatus::kMalformedValue},
      {"particles", "-5", PageParameterStatus::kMalformedValue},
      {"permeability", "nan", PageParameterStatus::kMalformedValue},
      {"scale", "-1", PageParameterStatus::kMalformedValue},
      {"scale", "5e-1", PageParameterStatus::kMalformedValue},
      {"scale", "0.5.5", PageParameterStatus::kMalformedValue},
      {"scale", ".", PageParameterStatus::kMalformedValue},
      {"scale", "", PageParameterStatus::kMalformedValue},
  };
  for (const Case& c : cases) {
    PageOptions options;
    options.Settings.SpawnPoints = 700;
    std::string error;
    EXPECT_EQ(ApplyPageParameter(c.name, c.value, options, error), c.status) << c.name << "=" << c.value;
    EXPECT_NE(error.find(c.status == PageParameterStatus::kUnknownName ? std::string("'") + c.name + "'"
                                                                       : std::string(c.name)),
              std::string::npos)
        << error;
    EXPECT_EQ(options.Settings.SpawnPoints, 700.0f);
    EXPECT_EQ(options.Settings.ObjectType, kCubeObject);
    EXPECT_FALSE(options.ShowFps || options.Unpaced || options.KeepAwake || options.Clock || options.Frames);
    EXPECT_EQ(options.Scale, 1.0);
  }
}

// Settings and the page's own parameters say what they expect in one form.
TEST(PageOptions, MalformedValuesSayWhatTheyExpect) {
  const struct {
    const char* name;
    const char* value;
    const char* error;
  } cases[] = {
      {"container", "cone", "container expects cube or sphere, not 'cone'"},
      {"particles", "-5", "particles expects a whole number of 0 or more, not '-5'"},
      {"fps", "true", "fps expects 0 or 1, not 'true'"},
      {"clock", "4294967296", "clock expects a whole number from 0 to 4294967295, not '4294967296'"},
      {"scale", "half", "scale expects a number from 0.25 to 1, not 'half'"},
  };
  for (const auto& c : cases) {
    PageOptions options;
    std::string error;
    EXPECT_EQ(ApplyPageParameter(c.name, c.value, options, error), PageParameterStatus::kMalformedValue);
    EXPECT_EQ(error, c.error);
  }
}

// What the page stores and shows reads back to the same settings.
TEST(PageOptions, SettingsQueryReadsBackToTheSameRecord) {
  SaverSettingsRecord records[] = {kDefaultSettings, {kSphereObject, 0, 0, 1.0f, 2050.0f, 0},
                                   {kCubeObject, 1, 0, 4294967296.0f, 0.0f, 0}};
  for (const SaverSettingsRecord& record : records) {
    const std::string query = SettingsQuery(record);
    PageOptions options;
    options.Settings = {kSphereObject, 0, 1, 99.0f, 99.0f, 0};
    size_t start = 0;
    while (start < query.size()) {
      const size_t end = std::min(query.find('&', start), query.size());
      const std::string pair = query.substr(start, end - start);
      const size_t equals = pair.find('=');
      const PageParameterStatus status =
          Apply(options, pair.substr(0, equals).c_str(), pair.substr(equals + 1).c_str());
      EXPECT_TRUE(status == PageParameterStatus::kApplied || status == PageParameterStatus::kBounded) << pair;
      start = end + 1;
    }
    EXPECT_EQ(options.Settings.ObjectType, record.ObjectType) << query;
    EXPECT_EQ(options.Settings.Decay, record.Decay) << query;
    EXPECT_EQ(options.Settings.Regeneration, record.Regeneration) << query;
    EXPECT_EQ(options.Settings.Permeability, record.Permeability) << query;
    EXPECT_EQ(options.Settings.SpawnPoints, record.SpawnPoints) << query;
  }
  EXPECT_EQ(SettingsQuery(kDefaultSettings), "container=cube&decay=1&regeneration=1&permeability=10&particles=250");
}

}  // namespace
