// Compares two settings records field by field, naming every field that
// differs: EXPECT_TRUE(SameSettings(SaverSettings, expected)).
#pragma once

#include <gtest/gtest.h>

#include "sim/scene_parameters.h"

inline ::testing::AssertionResult SameSettings(const SaverSettingsRecord& actual,
                                               const SaverSettingsRecord& expected) {
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  bool same = true;
  auto compare = [&](const char* field, auto got, auto want) {
    if (got == want) return;
    if (same) result = ::testing::AssertionFailure() << "settings differ:";
    same = false;
    result << " " << field << " is " << ::testing::PrintToString(+got) << ", expected "
           << ::testing::PrintToString(+want) << ";";
  };
  compare("ObjectType", actual.ObjectType, expected.ObjectType);
  compare("Decay", actual.Decay, expected.Decay);
  compare("Regeneration", actual.Regeneration, expected.Regeneration);
  compare("Permeability", actual.Permeability, expected.Permeability);
  compare("SpawnPoints", actual.SpawnPoints, expected.SpawnPoints);
  compare("Resolution", actual.Resolution, expected.Resolution);
  return result;
}
