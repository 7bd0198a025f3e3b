// The saver's settings in the registry, per user, and the display-mode table.
//
// HKEY_CURRENT_USER\Software\Quorvel\Ombrel holds six REG_DWORD values in
// this order: "ObjectType", "Decay", "Regeneration", "Permeability",
// "SpawnPoints", "Resolution". A missing key loads the defaults; a missing
// value leaves its field as it was; only Resolution is validated.
#pragma once

#include <windows.h>

#include <cstdint>

extern const char kSettingsKey[];  // "Software\Quorvel\Ombrel"

struct ScreenMode {
  const char* Text;  // the configuration dialog's list entry
  std::int32_t Width, Height, BitsPerPixel;  // 0 x 0: the window's client size
};

constexpr int kScreenModeCount = 6;
extern const ScreenMode ScreenModeTable[kScreenModeCount];

struct CurrentScreenModeRecord {
  std::int32_t Width, Height, BitsPerPixel;
};
extern CurrentScreenModeRecord CurrentScreenMode;

// The scene window's client rectangle as last read.
extern RECT ClientRect;

void LoadSettings();
void SaveSettings();

// Reads one registry value of an open key as a 32-bit number, whatever its
// type: its raw bytes go into a zeroed four-byte field, so a value of fewer
// than four bytes fills the low bytes (a one-byte 1 reads as 1). False, with
// number untouched, when the value is missing or longer than four bytes.
bool QueryNumber(HKEY key, const char* name, DWORD& number);

// Reads the window's client rectangle into ClientRect and sets
// CurrentScreenMode from the table: the client size for index 0, the entry's
// size for 1..5; any other index leaves CurrentScreenMode unchanged.
void ResolveScreenMode(std::int32_t index, HWND window);
