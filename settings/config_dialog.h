// The configuration dialog: two sliders, three pairs of radio buttons and a
// drop-down list over the six settings. Radio buttons act on the in-memory
// settings at once; only OK writes anything to the registry. The sliders'
// positions map to values as the settings' table says (SliderMapping).
#pragma once

#include <windows.h>

#include "resources/resource_ids.h"  // kConfigDialogId and the control identifiers

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
