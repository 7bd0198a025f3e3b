#include "settings/settings_store.h"

#include "sim/scene_parameters.h"

const char kSettingsKey[] = "Software\\Quorvel\\Ombrel";

const ScreenMode ScreenModeTable[kScreenModeCount] = {
    {" No Change ", 0, 0, 16},
    {"  640 x   480 x 16", 640, 480, 16},
    {"  800 x   600 x 16", 800, 600, 16},
    {"1024 x   768 x 16", 1024, 768, 16},
    {"1152 x   864 x 16", 1152, 864, 16},
    {"1280 x 1024 x 16", 1280, 1024, 16},
};

CurrentScreenModeRecord CurrentScreenMode = {0, 0, 0};
RECT ClientRect = {0, 0, 0, 0};

bool QueryNumber(HKEY key, const char* name, DWORD& number) {
  BYTE data[4] = {0, 0, 0, 0};
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS) return false;
  number = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 |
           static_cast<DWORD>(data[2]) << 16 | static_cast<DWORD>(data[3]) << 24;
  return true;
}

namespace {

void SetNumber(HKEY key, const char* name, DWORD number) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// Float to stored number: truncation towards zero, low 32 bits of the result.
DWORD Truncated(float value) {
  return static_cast<DWORD>(static_cast<std::int64_t>(value));
}

}  // namespace

void LoadSettings() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    SaverSettings = kDefaultSettings;
    return;
  }
  DWORD n = 0;
  if (QueryNumber(key, "ObjectType", n)) SaverSettings.ObjectType = n != 0;
  if (QueryNumber(key, "Decay", n)) SaverSettings.Decay = n != 0;
  if (QueryNumber(key, "Regeneration", n)) SaverSettings.Regeneration = n != 0;
  if (QueryNumber(key, "Permeability", n)) SaverSettings.Permeability = static_cast<float>(n);
  if (QueryNumber(key, "SpawnPoints", n)) SaverSettings.SpawnPoints = static_cast<float>(n);
  if (QueryNumber(key, "Resolution", n)) SaverSettings.Resolution = static_cast<std::int32_t>(n);
  if (SaverSettings.Resolution < 1 || SaverSettings.Resolution > 5) SaverSettings.Resolution = 0;
  RegCloseKey(key);
}

void SaveSettings() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  SetNumber(key, "ObjectType", SaverSettings.ObjectType ? 1 : 0);
  SetNumber(key, "Decay", SaverSettings.Decay ? 1 : 0);
  SetNumber(key, "Regeneration", SaverSettings.Regeneration ? 1 : 0);
  SetNumber(key, "Permeability", Truncated(SaverSettings.Permeability));
  SetNumber(key, "SpawnPoints", Truncated(SaverSettings.SpawnPoints));
  SetNumber(key, "Resolution", static_cast<DWORD>(SaverSettings.Resolution));
  RegCloseKey(key);
}

void ResolveScreenMode(std::int32_t index, HWND window) {
  GetClientRect(window, &ClientRect);
  if (index == 0) {
    CurrentScreenMode = {ClientRect.right, ClientRect.bottom, 16};
  } else if (index >= 1 && index <= 5) {
    const ScreenMode& mode = ScreenModeTable[index];
    CurrentScreenMode = {mode.Width, mode.Height, mode.BitsPerPixel};
  }
}
