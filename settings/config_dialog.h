// The configuration dialog: two sliders, three pairs of radio buttons and a
// drop-down list over the six settings. Radio buttons act on the in-memory
// settings at once; only OK writes anything to the registry.
#pragma once

#include <windows.h>

constexpr int kConfigDialogId = 2003;

// Control identifiers of the dialog template.
enum ConfigControl {
  CancelButton = 1012,
  ParticleSlider = 1030,
  SphereRadio = 1032,
  CubeRadio = 1033,
  PermeabilitySlider = 1034,
  GrowthRadio = 1036,
  DecayRadio = 1037,
  RegenOnRadio = 1038,
  RegenOffRadio = 1039,
  ResolutionCombo = 1040,
};

// Slider positions and the settings they stand for (positions 0..10).
int ParticleSliderPosition(float spawnPoints);
int PermeabilitySliderPosition(float permeability);
float SpawnPointsAt(int position);
float PermeabilityAt(int position);

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
