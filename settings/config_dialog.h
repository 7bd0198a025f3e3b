// The configuration dialog: two sliders, three pairs of radio buttons and a
// drop-down list over the six settings. Radio buttons act on the in-memory
// settings at once; only OK writes anything to the registry.
#pragma once

#include <windows.h>

#include "resources/resource_ids.h"  // kConfigDialogId and the control identifiers

// Slider positions and the settings they stand for (positions 0..10).
int ParticleSliderPosition(float spawnPoints);
int PermeabilitySliderPosition(float permeability);
float SpawnPointsAt(int position);
float PermeabilityAt(int position);

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
