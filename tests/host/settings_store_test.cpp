// The settings store against the real registry of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "settings/settings_store.h"
#include "sim/scene_parameters.h"
#include "tests/support/settings_records.h"
#include "tests/support/stored_settings.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearStoredSettings(); }
  void TearDown() override { ClearStoredSettings(); }

  static HKEY OpenKey() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kStoredSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
  }

  static DWORD Stored(const char* name) { return StoredSettingOr(name, 0xDEADBEEF); }

  // The record as it is when the process starts.
  static void ProcessStart() { SaverSettings = {0, 0, 0, 0.0f, 0.0f, 0}; }
};

TEST_F(SettingsStoreTest, MissingKeyLoadsTheDefaults) {
  ProcessStart();
  LoadSettings();
  EXPECT_TRUE(SameSettings(SaverSettings, {1, 1, 1, 10.0f, 250.0f, 0}));
}

TEST_F(SettingsStoreTest, EmptyKeyKeepsWhatTheFieldsHeld) {
  RegCloseKey(OpenKey());
  ProcessStart();
  LoadSettings();
  EXPECT_TRUE(SameSettings(SaverSettings, {0, 0, 0, 0.0f, 0.0f, 0}));

  // A single missing value keeps its field's previous value.
  SaverSettings = {1, 1, 0, 7.0f, 450.0f, 2};
  StoreSetting("Regeneration", 1);
  LoadSettings();
  EXPECT_TRUE(SameSettings(SaverSettings, {1, 1, 1, 7.0f, 450.0f, 2}));
}

TEST_F(SettingsStoreTest, LoadConvertsEachNumberAsItsFieldNeeds) {
  StoreSetting("ObjectType", 0);
  StoreSetting("Decay", 7);
  StoreSetting("Regeneration", 0);
  StoreSetting("Permeability", 4294967295u);
  StoreSetting("SpawnPoints", 2050);
  const struct { DWORD stored; std::int32_t loaded; } resolutions[] = {
      {5, 5}, {1, 1}, {6, 0}, {0xFFFFFFFFu, 0}, {0x80000000u, 0}};
  for (const auto& r : resolutions) {
    StoreSetting("Resolution", r.stored);
    LoadSettings();
    EXPECT_EQ(SaverSettings.Resolution, r.loaded) << r.stored;
  }
  // Permeability: unsigned, not -1.
  EXPECT_TRUE(SameSettings(SaverSettings, {0, 1, 0, 4294967296.0f, 2050.0f, 0}));
}

TEST_F(SettingsStoreTest, OtherTypesAreReadAsRawBytesZeroFilled) {
  ProcessStart();
  const BYTE one = 1;
  StoreSettingBytes("Decay", REG_BINARY, &one, 1);            // one byte: the low byte of the number
  StoreSettingBytes("Permeability", REG_SZ, "1", 2);           // '1' and its terminator: 0x31
  const BYTE two[2] = {0x34, 0x12};
  StoreSettingBytes("SpawnPoints", REG_BINARY, two, 2);       // 0x1234
  StoreSettingBytes("ObjectType", REG_SZ, "12345", 6);         // longer than four bytes: not read
  StoreSettingBytes("Regeneration", REG_BINARY, nullptr, 0);   // no bytes at all: reads as 0
  SaverSettings.ObjectType = 1;
  SaverSettings.Regeneration = 1;
  LoadSettings();
  EXPECT_TRUE(SameSettings(SaverSettings, {1, 1, 0, 49.0f, 4660.0f, 0}));
}

TEST_F(SettingsStoreTest, SaveWritesAllSixTruncated) {
  SaverSettings = {0, 0, 1, 10.7f, 250.0f, 4};
  SaveSettings();
  EXPECT_EQ(Stored("ObjectType"), 0u);
  EXPECT_EQ(Stored("Decay"), 0u);
  EXPECT_EQ(Stored("Regeneration"), 1u);
  EXPECT_EQ(Stored("Permeability"), 10u);
  EXPECT_EQ(Stored("SpawnPoints"), 250u);
  EXPECT_EQ(Stored("Resolution"), 4u);

  // A save after loading an empty key makes the next load independent of
  // the process's initial values.
  ClearStoredSettings();
  RegCloseKey(OpenKey());
  ProcessStart();
  LoadSettings();
  SaveSettings();
  SaverSettings = {1, 1, 1, 99.0f, 99.0f, 3};
  LoadSettings();
  EXPECT_TRUE(SameSettings(SaverSettings, {0, 0, 0, 0.0f, 0.0f, 0}));
}

TEST_F(SettingsStoreTest, ScreenModeFollowsTheIndexOrTheClientArea) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(window);
  RECT client;
  GetClientRect(window, &client);

  ResolveScreenMode(0, window);
  EXPECT_EQ(CurrentScreenMode.Width, client.right);
  EXPECT_EQ(CurrentScreenMode.Height, client.bottom);
  EXPECT_EQ(CurrentScreenMode.BitsPerPixel, 16);
  EXPECT_EQ(ClientRect.right, client.right);

  ResolveScreenMode(3, window);
  EXPECT_EQ(CurrentScreenMode.Width, 1024);
  EXPECT_EQ(CurrentScreenMode.Height, 768);
  ResolveScreenMode(1, window);
  EXPECT_EQ(CurrentScreenMode.Width, 640);
  EXPECT_EQ(CurrentScreenMode.Height, 480);
  ResolveScreenMode(9, window);  // not in the table: unchanged
  EXPECT_EQ(CurrentScreenMode.Width, 640);
  ResolveScreenMode(-1, window);
  EXPECT_EQ(CurrentScreenMode.Height, 480);
  DestroyWindow(window);
}

}  // namespace
