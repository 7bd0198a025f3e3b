// The identifiers of the saver's resources and of the configuration dialog's
// controls, shared by the resource script (ombrel.rc), the code and the
// tests. Plain #defines, so that windres reads them too.
#pragma once

// The description under which the display settings list the saver.
#define kDescriptionStringId 1

// The executable's one icon group. The window class asks for icon
// kClassIconId, which the executable does not hold, so the class has none.
#define kSaverIconId 109
#define kClassIconId 100

// The configuration dialog and its controls (OK is IDOK).
#define kConfigDialogId 2003
#define CancelButton 1012
#define ParticleSlider 1030
#define SphereRadio 1032
#define CubeRadio 1033
#define PermeabilitySlider 1034
#define GrowthRadio 1036
#define DecayRadio 1037
#define RegenOnRadio 1038
#define RegenOffRadio 1039
#define ResolutionCombo 1040
