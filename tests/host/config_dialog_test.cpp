// The configuration dialog, created from the real resource and driven with
// real messages, against the real registry of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/config_dialog.h"
#include "settings/settings_store.h"
#include "sim/scene_parameters.h"
#include "tests/support/stored_settings.h"

namespace {

class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearStoredSettings();
    SaverSettings = {0, 0, 0, 0.0f, 0.0f, 0};
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    ClearStoredSettings();
  }

  void Open() {
    dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kConfigDialogId), nullptr,
                                 ConfigDialogProc, 0);
    ASSERT_TRUE(dialog_);
  }

  int Position(int slider) const {
    return static_cast<int>(SendDlgItemMessageA(dialog_, slider, TBM_GETPOS, 0, 0));
  }
  void MoveSlider(int slider, int position) {
    SendDlgItemMessageA(dialog_, slider, TBM_SETPOS, TRUE, position);
  }
  bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void Click(int id) { SendDlgItemMessageA(dialog_, id, BM_CLICK, 0, 0); }

  HWND dialog_ = nullptr;
};

TEST_F(ConfigDialogTest, OpensWithTheDefaultsAndOkStoresThem) {
  Open();
  EXPECT_EQ(Position(ParticleSlider), 1);
  EXPECT_EQ(Position(PermeabilitySlider), 5);
  EXPECT_TRUE(Checked(CubeRadio));
  EXPECT_FALSE(Checked(SphereRadio));
  EXPECT_TRUE(Checked(DecayRadio));
  EXPECT_TRUE(Checked(RegenOnRadio));
  EXPECT_EQ(SendDlgItemMessageA(dialog_, ResolutionCombo, CB_GETCURSEL, 0, 0), 0);
  char text[64] = "";
  GetDlgItemTextA(dialog_, ResolutionCombo, text, sizeof text);
  EXPECT_STREQ(text, " No Change ");
  EXPECT_EQ(SendDlgItemMessageA(dialog_, ResolutionCombo, CB_GETCOUNT, 0, 0), 6);

  Click(IDOK);
  EXPECT_EQ(StoredSettingOr("SpawnPoints", 0), 250u);
  EXPECT_EQ(StoredSettingOr("Permeability", 0), 11u) << "position 5 stands for 11, not the default 10";
  EXPECT_EQ(StoredSettingOr("Resolution", 9), 0u);
  EXPECT_EQ(StoredSettingOr("ObjectType", 9), 1u);
  EXPECT_EQ(StoredSettingOr("Decay", 9), 1u);
  EXPECT_EQ(StoredSettingOr("Regeneration", 9), 1u);
}

TEST_F(ConfigDialogTest, SliderEndsStoreTheirExtremes) {
  const struct { int particles, permeability; DWORD spawn, perm; } cases[] = {{10, 0, 2050, 21}, {0, 10, 50, 1}};
  for (const auto& c : cases) {
    Open();
    MoveSlider(ParticleSlider, c.particles);
    MoveSlider(PermeabilitySlider, c.permeability);
    Click(IDOK);
    EXPECT_EQ(StoredSettingOr("SpawnPoints", 0), c.spawn);
    EXPECT_EQ(StoredSettingOr("Permeability", 0), c.perm);
    DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
}

TEST_F(ConfigDialogTest, StoredValuesShowAtTheirPositions) {
  const struct { DWORD permeability; int position; } permeabilities[] = {{10, 5}, {11, 5}, {1, 10}, {21, 0}, {40, 0}};
  for (const auto& p : permeabilities) {
    StoreSetting("Permeability", p.permeability);
    StoreSetting("SpawnPoints", 0);
    Open();
    EXPECT_EQ(Position(PermeabilitySlider), p.position) << "Permeability " << p.permeability;
    EXPECT_EQ(Position(ParticleSlider), 0) << "SpawnPoints 0 shows at the first position";
    DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
  StoreSetting("SpawnPoints", 2050);
  StoreSetting("ObjectType", 0);
  StoreSetting("Decay", 0);
  StoreSetting("Regeneration", 0);
  StoreSetting("Resolution", 4);
  Open();
  EXPECT_EQ(Position(ParticleSlider), 10);
  EXPECT_TRUE(Checked(SphereRadio));
  EXPECT_TRUE(Checked(GrowthRadio));
  EXPECT_TRUE(Checked(RegenOffRadio));
  char text[64] = "";
  GetDlgItemTextA(dialog_, ResolutionCombo, text, sizeof text);
  EXPECT_STREQ(text, "1152 x   864 x 16");
}

TEST_F(ConfigDialogTest, TypedResolutionStoresMinusOneWhichLoadsAsZero) {
  Open();
  SendDlgItemMessageA(dialog_, ResolutionCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SetDlgItemTextA(dialog_, ResolutionCombo, "2048 x 1536");
  Click(IDOK);
  EXPECT_EQ(StoredSettingOr("Resolution", 0), 0xFFFFFFFFu);
  LoadSettings();
  EXPECT_EQ(SaverSettings.Resolution, 0);
}

TEST_F(ConfigDialogTest, RadioButtonsActInMemoryAndCancelStoresNothing) {
  Open();
  Click(SphereRadio);
  EXPECT_EQ(SaverSettings.ObjectType, 0);
  EXPECT_TRUE(Checked(SphereRadio));
  EXPECT_FALSE(Checked(CubeRadio)) << "Sphere and Cube form one group";
  Click(GrowthRadio);
  EXPECT_EQ(SaverSettings.Decay, 0);
  EXPECT_TRUE(Checked(SphereRadio)) << "Growth is in a group of its own";
  Click(RegenOffRadio);
  EXPECT_EQ(SaverSettings.Regeneration, 0);
  Click(CancelButton);
  DWORD ignored;
  EXPECT_FALSE(ReadStoredSetting("ObjectType", ignored)) << "Cancel must not save";
}

TEST_F(ConfigDialogTest, TheCancelKeyLeavesTheDialogOpen) {
  Open();
  SetFocus(dialog_);
  // The dialog manager turns the key into IDCANCEL, which the dialog ignores.
  MSG key = {dialog_, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  IsDialogMessageA(dialog_, &key);
  SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindowVisible(dialog_));
  DWORD ignored;
  EXPECT_FALSE(ReadStoredSetting("ObjectType", ignored));
}

// The template, control by control: class, identifier, style, text and
// rectangle in dialog units, in template order.
struct ControlLayout {
  int id;
  const char* className;
  DWORD style;  // the control's own style bits and WS_GROUP / WS_TABSTOP
  const char* text;
  RECT units;   // x, y, width, height
};

constexpr DWORD kStatic = SS_CENTER | WS_GROUP;
constexpr DWORD kButton = BS_DEFPUSHBUTTON | BS_CENTER | WS_GROUP | WS_TABSTOP;
constexpr DWORD kTrackbar = TBS_HORZ | TBS_AUTOTICKS | TBS_BOTH;
constexpr int kNone = 0xFFFF;  // id -1 as the template stores it

const ControlLayout kLayout[30] = {
    {kNone, "Static", kStatic, nullptr, {27, 10, 160, 8}},
    {kNone, "Static", kStatic, nullptr, {32, 25, 150, 8}},
    {kNone, "Button", BS_GROUPBOX, "", {7, 0, 200, 40}},
    {CancelButton, "Button", kButton, "Cancel", {132, 240, 50, 14}},
    {IDOK, "Button", kButton, "OK", {28, 240, 50, 14}},
    {kNone, "Button", BS_GROUPBOX, "", {12, 84, 192, 20}},
    {kNone, "Static", kStatic, "Particles cause:", {16, 92, 64, 8}},
    {kNone, "Button", BS_GROUPBOX, "", {12, 64, 192, 20}},
    {SphereRadio, "Button", BS_AUTORADIOBUTTON, "Sphere", {140, 72, 40, 8}},
    {CubeRadio, "Button", BS_AUTORADIOBUTTON, "Cube", {92, 72, 40, 8}},
    {kNone, "Button", BS_GROUPBOX, "", {12, 128, 192, 52}},
    {kNone, "Static", kStatic, "High", {172, 168, 24, 8}},
    {kNone, "Static", kStatic, "Low", {16, 168, 42, 8}},
    {PermeabilitySlider, "msctls_trackbar32", kTrackbar, nullptr, {24, 148, 166, 22}},
    {kNone, "Static", kStatic, "Permeability of Surface", {36, 136, 136, 12}},
    {kNone, "Button", BS_GROUPBOX, "", {12, 176, 192, 52}},
    {kNone, "Static", kStatic, "Lots", {172, 216, 24, 8}},
    {kNone, "Static", kStatic, "Not many", {16, 216, 42, 8}},
    {ParticleSlider, "msctls_trackbar32", kTrackbar, nullptr, {24, 196, 166, 22}},
    {kNone, "Static", kStatic, "Number of particles", {36, 184, 136, 12}},
    {GrowthRadio, "Button", BS_AUTORADIOBUTTON, "Growth", {92, 92, 40, 8}},
    {DecayRadio, "Button", BS_AUTORADIOBUTTON, "Decay", {140, 92, 40, 8}},
    {kNone, "Static", kStatic, "Container Type:", {16, 72, 64, 8}},
    {kNone, "Button", BS_GROUPBOX, "", {12, 104, 192, 20}},
    {kNone, "Static", kStatic, "Regeneration:         ", {16, 112, 72, 8}},
    {RegenOnRadio, "Button", BS_AUTORADIOBUTTON, "On", {92, 112, 40, 8}},
    {RegenOffRadio, "Button", BS_AUTORADIOBUTTON, "Off", {140, 112, 40, 8}},
    {ResolutionCombo, "ComboBox", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, nullptr, {92, 52, 72, 100}},
    {kNone, "Button", BS_GROUPBOX, "", {12, 44, 192, 24}},
    {kNone, "Static", kStatic, "Resolution:              ", {20, 52, 64, 8}},
};

// The control styles as the dialog template stores them. (The live controls
// differ by design: the dialog manager moves the default-button style to the
// default button, a checked radio button takes the tab stop, and a combo box
// hands its scroll bar to its list.)
std::vector<DWORD> TemplateControlStyles(DWORD& dialogStyle) {
  HRSRC found = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kConfigDialogId), MAKEINTRESOURCEA(5));
  const auto* words = static_cast<const WORD*>(LockResource(LoadResource(GetModuleHandleA(nullptr), found)));
  auto dword = [&](size_t at) { return static_cast<DWORD>(words[at]) | static_cast<DWORD>(words[at + 1]) << 16; };
  // A name or ordinal: 0xFFFF and one word, or a NUL-terminated string.
  auto skipNameOrOrdinal = [&](size_t at) {
    if (words[at] == 0xFFFF) return at + 2;
    while (words[at]) ++at;
    return at + 1;
  };
  dialogStyle = dword(0);
  const int count = words[4];
  size_t at = 9;                    // style, extended style, count, x, y, cx, cy
  at = skipNameOrOrdinal(at);       // menu
  at = skipNameOrOrdinal(at);       // class
  at = skipNameOrOrdinal(at);       // caption
  if (dialogStyle & DS_SETFONT) at = skipNameOrOrdinal(at + 1);  // point size, face
  std::vector<DWORD> styles;
  for (int i = 0; i < count; ++i) {
    at = (at + 1) & ~static_cast<size_t>(1);  // items start on a DWORD boundary
    styles.push_back(dword(at));
    at += 9;                                  // style, extended style, x, y, cx, cy, id
    at = skipNameOrOrdinal(at);               // class
    at = skipNameOrOrdinal(at);               // text
    at += 1 + words[at] / 2;                  // creation data
  }
  return styles;
}

TEST_F(ConfigDialogTest, LayoutMatchesTheTemplate) {
  Open();
  DWORD style = 0;
  const std::vector<DWORD> templateStyles = TemplateControlStyles(style);
  EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK));
  ASSERT_EQ(templateStyles.size(), 30u);
  char caption[64];
  GetWindowTextA(dialog_, caption, sizeof caption);
  EXPECT_STREQ(caption, "Ombrel Screen Saver");
  RECT size = {0, 0, 214, 261}, client;
  MapDialogRect(dialog_, &size);
  GetClientRect(dialog_, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  HWND control = GetWindow(dialog_, GW_CHILD);
  for (int i = 0; i < 30; ++i, control = GetWindow(control, GW_HWNDNEXT)) {
    const ControlLayout& want = kLayout[i];
    SCOPED_TRACE("control " + std::to_string(i));
    ASSERT_TRUE(control);
    char className[64];
    GetClassNameA(control, className, sizeof className);
    EXPECT_STREQ(className, want.className);
    EXPECT_EQ(GetDlgCtrlID(control) & 0xFFFF, want.id);
    EXPECT_EQ(templateStyles[i], want.style | WS_CHILD | WS_VISIBLE);
    const DWORD controlStyle = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    EXPECT_EQ(controlStyle & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    if (want.text) {
      char text[64];
      GetWindowTextA(control, text, sizeof text);
      EXPECT_STREQ(text, want.text);
    }
    // The dialog manager converts position and size separately.
    RECT expected = want.units;
    MapDialogRect(dialog_, &expected);
    expected.right += expected.left;
    expected.bottom += expected.top;
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    // A drop-down combo box is as high as its edit field; the template's
    // height is that of the opened list, which the combo box sizes itself.
    if (want.id != ResolutionCombo) {
      EXPECT_EQ(actual.bottom, expected.bottom);
    }
  }
  EXPECT_FALSE(control) << "more controls than the template's 30";
}

}  // namespace
