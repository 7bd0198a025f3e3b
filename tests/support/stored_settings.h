// The saver's stored settings, read and written directly in the registry by
// the Windows tests (the key is the saver's external contract).
#pragma once

#include <windows.h>

inline constexpr char kStoredSettingsKey[] = "Software\\Quorvel\\Ombrel";

inline void StoreSettingBytes(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kStoredSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

inline void StoreSetting(const char* name, DWORD value) { StoreSettingBytes(name, REG_DWORD, &value, 4); }

// False when the key or the value is missing.
inline bool ReadStoredSetting(const char* name, DWORD& value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kStoredSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 4;
  const bool found =
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

inline DWORD StoredSettingOr(const char* name, DWORD missing) {
  DWORD value = missing;
  return ReadStoredSetting(name, value) ? value : missing;
}

inline void ClearStoredSettings() { RegDeleteKeyA(HKEY_CURRENT_USER, kStoredSettingsKey); }
