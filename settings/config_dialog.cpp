#include "settings/config_dialog.h"

#include <commctrl.h>

#include "options/slider_mapping.h"
#include "settings/settings_store.h"
#include "sim/scene_parameters.h"

namespace {

void SetUpSlider(HWND dialog, int id, int position) {
  SendDlgItemMessageA(dialog, id, TBM_SETRANGE, FALSE, MAKELPARAM(0, kLastSliderPosition));
  SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
  SendDlgItemMessageA(dialog, id, TBM_SETLINESIZE, 0, 1);
  SendDlgItemMessageA(dialog, id, TBM_SETPAGESIZE, 0, 1);
}

int TrackbarPosition(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

void OnInitDialog(HWND dialog) {
  InitCommonControls();
  LoadSettings();
  SetUpSlider(dialog, ParticleSlider, kParticlesSlider.PositionOf(SaverSettings.SpawnPoints));
  SetUpSlider(dialog, PermeabilitySlider, kPermeabilitySlider.PositionOf(SaverSettings.Permeability));

  const SaverSettingsRecord& s = SaverSettings;
  if (s.ObjectType == kCubeObject) CheckDlgButton(dialog, CubeRadio, BST_CHECKED);
  if (s.ObjectType == kSphereObject) CheckDlgButton(dialog, SphereRadio, BST_CHECKED);
  if (s.Decay == 1) CheckDlgButton(dialog, DecayRadio, BST_CHECKED);
  if (s.Decay == 0) CheckDlgButton(dialog, GrowthRadio, BST_CHECKED);
  if (s.Regeneration == 1) CheckDlgButton(dialog, RegenOnRadio, BST_CHECKED);
  if (s.Regeneration == 0) CheckDlgButton(dialog, RegenOffRadio, BST_CHECKED);

  for (const ScreenMode& mode : ScreenModeTable)
    SendDlgItemMessageA(dialog, ResolutionCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode.Text));
  SendDlgItemMessageA(dialog, ResolutionCombo, CB_SETCURSEL, static_cast<WPARAM>(s.Resolution), 0);
}

void OnOk(HWND dialog) {
  SaverSettings.SpawnPoints = static_cast<float>(kParticlesSlider.ValueAt(TrackbarPosition(dialog, ParticleSlider)));
  SaverSettings.Permeability =
      static_cast<float>(kPermeabilitySlider.ValueAt(TrackbarPosition(dialog, PermeabilitySlider)));
  // CB_ERR (-1) when the user typed into the edit field; the next load makes it 0.
  SaverSettings.Resolution = static_cast<std::int32_t>(SendDlgItemMessageA(dialog, ResolutionCombo, CB_GETCURSEL, 0, 0));
  SaveSettings();
}

}  // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  if (message == WM_INITDIALOG) {
    OnInitDialog(dialog);
    return 1;
  }
  if (message != WM_COMMAND) return 0;

  // IDCANCEL (the keyboard's cancel key) is deliberately not handled: only
  // the "Cancel" button closes the dialog without saving.
  switch (LOWORD(wParam)) {
    case IDOK: OnOk(dialog); EndDialog(dialog, 1); break;
    case CancelButton: EndDialog(dialog, 1); break;
    case SphereRadio: SaverSettings.ObjectType = kSphereObject; break;
    case CubeRadio: SaverSettings.ObjectType = kCubeObject; break;
    case GrowthRadio: SaverSettings.Decay = 0; break;
    case DecayRadio: SaverSettings.Decay = 1; break;
    case RegenOnRadio: SaverSettings.Regeneration = 1; break;
    case RegenOffRadio: SaverSettings.Regeneration = 0; break;
  }
  return 0;
}
