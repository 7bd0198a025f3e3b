// The six persisted settings and the two values derived from them.
//
// There is one settings record for the whole process. The settings store
// loads it, the configuration dialog edits it, and every part of the scene
// reads it. CounterStep and AlphaScale are recomputed from it before every
// scene-window message, so they always match the settings of that moment.
#pragma once

#include <cstdint>

// ObjectType's two values.
constexpr std::uint8_t kSphereObject = 0;
constexpr std::uint8_t kCubeObject = 1;

struct SaverSettingsRecord {
  std::uint8_t ObjectType;    // kSphereObject or kCubeObject
  std::uint8_t Decay;         // 1 bounces wear cells away, 0 they build them up
  std::uint8_t Regeneration;  // 1 broken cells heal at random
  float Permeability;         // counter magnitude at which a cell lets particles through
  float SpawnPoints;          // number of particles in play
  std::int32_t Resolution;    // display-mode index, 0 keeps the current mode
};

// The values a fresh installation starts from (no stored settings at all).
constexpr SaverSettingsRecord kDefaultSettings = {kCubeObject, 1, 1, 10.0f, 250.0f, 0};

// The process-wide record. Before the first load every field is zero.
extern SaverSettingsRecord SaverSettings;

// What one bounce adds to a cell counter: -1 in decay mode, +1 in growth mode.
extern std::int32_t CounterStep;

// The opacity that one unit of cell counter adds to a cell: 0.6 / Permeability.
// Always finite and in (0, 0.6], whatever Permeability holds (see below).
extern float AlphaScale;

// Sets CounterStep and AlphaScale from SaverSettings.
//
// AlphaScale is formed from Permeability when Permeability is at least 1, and
// from 1 otherwise (0, negative or not a number). Such values only come from
// hand-edited settings. Cell counters only take whole values, so for any
// Permeability in (0, 1] a cell breaks at its first bounce, exactly as with 1;
// bounding the divisor at 1 keeps that meaning and keeps every cell alpha
// finite, never more than the 0.6 of a full cell per unit of counter. The
// simulation itself still compares counters with Permeability as stored.
void DeriveSceneParameters();
