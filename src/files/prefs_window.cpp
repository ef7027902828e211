#include "files/prefs_window.h"

#include <algorithm>
#include <string>
#include <vector>

#include "control/refusal_line.h"
#include "control/switch_groups.h"
#include "conversions/needs.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/prefs_file.h"
#include "files/prefs_rules.h"
#include "files/shutdown_message.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/popups.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

constexpr const char* kSounds = "MVsounds";
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kNoteGrey{22000, 22000, 26000};
// The area the tabs draw in, and the mascot's place inside it.
constexpr Rect kTabArea{10, 82, 610, 290};
constexpr Rect kMascot{515, 177, 600, 268};
// The line under the coding radios that tells when a choice moved the switching pattern.
constexpr Rect kCodingNote{200, 226, 606, 242};
constexpr Rect kToleranceText{338, 180, 520, 202};
// Each tab has a page of its own.
constexpr int16_t kAppearanceHelpTopic = 174, kInterfaceHelpTopic = 175, kAcquiringHelpTopic = 176;

enum class Item { Check, Radio };
// Where a setting is kept beyond the moment: the preferences file ("Save Settings..."),
// each set-up file (the preferences file has no place for it), or nowhere.
enum class Kept { PreferencesFile, SetupFile, Session };

struct Switch {
  int16_t number;
  Item kind;
  const char* label;
  int16_t x, y;
  Kept kept = Kept::PreferencesFile;
};

// ---- the tabs' switches, as laid out ------------------------------------------------------

const std::vector<Switch> kAppearanceSwitches = {
    {122, Item::Check, "Show Switching Status in Plots", 24, 94},
    {123, Item::Check, "Use Large Readouts in Plots", 24, 114},
    {6, Item::Check, "Show Time Grid Lines in Plots", 24, 134, Kept::SetupFile},
    {7, Item::Check, "Show Zero Lines in Plots", 24, 154, Kept::Session},
    {9, Item::Check, "Always Show Help Windows", 24, 174},
    {24, Item::Check, "'Aqua' Style Window Labels", 24, 194},
    {27, Item::Check, "Show the 'Pladdy' OS X/Darwin platypus mascot (decorative only)", 24, 214},
    {230, Item::Check, "Play Sounds at Startup", 340, 94},
    {4, Item::Check, "Play Sounds at Events", 340, 114},
    {5, Item::Check, "Use 'Weird' Sounds", 340, 134},
};

const std::vector<Switch> kInterfaceSwitches = {
    {25, Item::Check, "Warn Before Overwriting Files or Flushing Unsaved Data", 24, 94, Kept::SetupFile},
    {125, Item::Check, "Use Shutdown Message", 24, 118},
    {19, Item::Check, "Add Extension (.kstr, .kssc, .KSSable, .txt) to Data Files (STRONGLY recommended)", 24,
     142},
    {13, Item::Radio, "Kestrane Binary", 34, 186},
    {15, Item::Radio, "Sable", 34, 206},
    {14, Item::Radio, "ASCII (text)", 34, 226},
    {16, Item::Radio, "1 line/device", 324, 186},
    {17, Item::Radio, "3-bit Word (Sable devices)", 324, 206},
    {26, Item::Check, "Automatically Connect to A-D Converter at Startup", 24, 250},
    {20, Item::Check, "Automatically Select Serial Port at Startup", 24, 270},
};

const std::vector<Switch> kAcquireSwitches = {
    {8, Item::Check, "Use Automatic Backup", 24, 94, Kept::SetupFile},
    {121, Item::Check, "Check Backup File Name", 24, 114},
    {18, Item::Check, "Use Continuous Scanning", 24, 134},
    {124, Item::Check, "Show Markers in 'Replay' Window", 24, 154, Kept::Session},
    {23, Item::Check, "Serial Interface Fault Warning", 24, 174, Kept::Session},
    {38, Item::Check, "Enable Toolbar Help", 24, 194},
    {36, Item::Radio, "'-99999'", 34, 240},
    {37, Item::Radio, "Last Sample Value", 34, 260},
    {21, Item::Radio, "Dark Toolbar", 340, 102},
    {22, Item::Radio, "Light Toolbar", 340, 146},
};

struct Session {
  int16_t tab = 1;
  int16_t oldHeight = 0;          // the height the chart strips are laid out for
  std::vector<int16_t> controls;  // of the tab shown
  std::vector<int16_t> fields;
  bool done = false;
  bool groupsMoved = false;  // a coding chosen here moved a two-group pattern to one group
};

void PrefsMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

void InstallHandlers() {
  rt::SetOutputWindow(kPreferencesWindow);
  InstallDialogHandlers(PrefsMenuHandler);
}

void PlayIfSoundsOn(const char* file) {
  if (Sound_Is_On != 0) PlaySound(file, kSounds);
}

int16_t On(bool marked) {
  return marked ? 2 : 1;
}

// ---- building ---------------------------------------------------------------------------------

void Text(const char* text, int16_t x, int16_t y) {
  rt::DrawText(x, y, text, rt::TextFont(), kBlack);
}

// "Save Settings..." writes only what the preferences file has a place for: a setting
// kept elsewhere, or nowhere, says so after its label, so the window does not promise
// what the next start will not give back.
const char* NoteOf(const Switch& b) {
  switch (b.kept) {
    case Kept::SetupFile:
      return "(kept in set-up files)";
    case Kept::Session:
      return "(this session only)";
    default:
      return nullptr;
  }
}

void DrawKeptNote(const Switch& b) {
  const char* note = NoteOf(b);
  if (!note) return;
  const rt::FontSpec label = rt::TextFont();
  rt::FontSpec small = KitFont(KestraneFont, 9);
  small.italic = true;
  rt::DrawText(b.x + 21 + rt::TextWidth(b.label, label) + 5, b.y + 11, note, small, kNoteGrey);
}

void BuildSwitches(Session& s, const std::vector<Switch>& switches) {
  for (const Switch& b : switches) {
    BUILDBUTTON(b.number, 1, b.label, b.x, b.y, b.kind == Item::Check ? 2 : 3, 1);
    DrawKeptNote(b);
    s.controls.push_back(b.number);
  }
}

void Picture(const char* file, Rect r) {
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", file), r.left, r.top, r.right, r.bottom);
}

void DrawMascot() {
  Picture(("Pladdy" + std::to_string(rt::Rnd(3)) + ".gif").c_str(), kMascot);
}

void SizeFields(Session& s) {
  BUILDEF(kCustomWidthField, NumText(PrefsArray[PrefsSlot::WindowWidth]), 176, 266, 226, 284, 1, 3);
  BUILDEF(kCustomHeightField, NumText(PrefsArray[PrefsSlot::WindowHeight]), 248, 266, 298, 284, 1, 3);
  rt::SelectEditText(kCustomHeightField, 0, 0);
  s.fields = {kCustomWidthField, kCustomHeightField};
}

void AppearanceTab(Session& s) {
  BuildSwitches(s, kAppearanceSwitches);
  Text("Set Default Size at:", 24, 253);
  Popup133(kWindowSizeMenu);
  rt::NewPopupControl(kWindowSizePopup, kWindowSizeMenu, "", Rect{160, 238, 300, 260},
                      WindowSizePopupItem(PrefsArray[PrefsSlot::WindowSizeChoice]));
  s.controls.push_back(kWindowSizePopup);
  Text("Current Window Size is", 24, 280);
  Text("X", 233, 280);
  Text("Pixels", 304, 280);
  SizeFields(s);
  if (PrefsArray[PrefsSlot::MascotPictures] != 0) DrawMascot();
}

void ADInterfaceTab(Session& s) {
  BuildSwitches(s, kInterfaceSwitches);
  Text("Default File Format is", 24, 178);
  Text("Digital Control Mode:", 314, 178);
  rt::NewControl(kEditShutdownButton, rt::ControlType::PushButton, "Edit Shut-down Message...",
                 Rect{220, 113, 420, 135}, 1);
  s.controls.push_back(kEditShutdownButton);
}

void DrawToleranceText() {
  ClearArea(kToleranceText.left, kToleranceText.top, kToleranceText.right, kToleranceText.bottom);
  Text(RateToleranceText().c_str(), 340, 196);
}

void AcquireDataTab(Session& s) {
  BuildSwitches(s, kAcquireSwitches);
  Text("For a bad A/D reading, store:", 24, 228);
  Picture("dark scope toolbar.png", Rect{460, 88, 541, 128});
  Picture("light scope toolbar.png", Rect{460, 132, 541, 172});
  DrawToleranceText();
  rt::NewControl(kRateToleranceButton, rt::ControlType::PushButton, "Change...", Rect{524, 181, 600, 203}, 1);
  Text("Maximum Sample Rate", 340, 232);
  Text("for Status Displays:", 340, 248);
  Popup134(kStatusDisplayMenu);
  rt::NewPopupControl(kStatusDisplayPopup, kStatusDisplayMenu, "", Rect{490, 228, 600, 250},
                      StatusDisplayItemOf(Max_Display_Speed));
  s.controls.push_back(kRateToleranceButton);
  s.controls.push_back(kStatusDisplayPopup);
}

void BuildTab(Session& s) {
  for (int16_t n : s.controls) rt::DisposeControl(n);
  for (int16_t f : s.fields) rt::DisposeEditField(f);
  s.controls.clear();
  s.fields.clear();
  ClearArea(kTabArea.left, kTabArea.top, kTabArea.right, kTabArea.bottom);
  BUILDBOX(kTabArea.left, kTabArea.top, kTabArea.right, kTabArea.bottom);
  rt::SetTextFont(KitFont(KestraneFont, 12));
  switch (s.tab) {
    case 2:
      ADInterfaceTab(s);
      break;
    case 3:
      AcquireDataTab(s);
      break;
    default:
      AppearanceTab(s);
      break;
  }
  setprefbuts();
  rt::FlushWindow();
}

void BuildWindow(Session& s) {
  BuildWINDOW(kPreferencesWindow, "User Preferences", 10, 80, 630, 410, 6);
  Picture("gears.png", Rect{36, 3, 130, 83});
  EmbossPrint(1, "User Preferences", 24, 150, 40);
  rt::NewTabsControl(kPrefsTabControl, {"Appearance, Sounds", "A-D Interface, Files", "Acquiring Data"},
                     Rect{150, 56, 610, 82}, 1);
  rt::NewControl(kPrefsHelpButton, rt::ControlType::PushButton, "?", Rect{14, 297, 42, 321}, 1);
  rt::NewControl(kPrefsSaveButton, rt::ControlType::PushButton, "Save Settings...", Rect{330, 297, 470, 321},
                 1);
  rt::NewControl(kPrefsOKButton, rt::ControlType::DefaultButton, "Selections OK", Rect{480, 297, 606, 321},
                 1);
  BuildTab(s);
}

// ---- acting ---------------------------------------------------------------------------------------

// After the window size changed: the scope sweep and the chart strips follow it.
void AfterSizeChange(Session& s) {
  FitScopeToWindowWidth(PrefsArray[PrefsSlot::WindowWidth]);
  files_hooks::SetChanParams(s.oldHeight, 1);
  s.oldHeight = PrefsArray[PrefsSlot::WindowHeight];
}

void ShowSizeFields() {
  if (!rt::EditFieldExists(kCustomWidthField)) return;
  rt::SetEditText(kCustomWidthField, NumText(PrefsArray[PrefsSlot::WindowWidth]));
  rt::SetEditText(kCustomHeightField, NumText(PrefsArray[PrefsSlot::WindowHeight]));
}

void ReadSizeFields(Session& s) {
  if (!rt::EditFieldExists(kCustomWidthField)) return;
  if (ReadScreenData(rt::EditText(kCustomWidthField), rt::EditText(kCustomHeightField))) AfterSizeChange(s);
}

void ChooseWindowSize(Session& s) {
  ApplyWindowSizeChoice(static_cast<int16_t>(rt::ControlValue(kWindowSizePopup)), rt::DisplayWidth(),
                        rt::DisplayHeight());
  PlayIfSoundsOn("tick.mp3");
  AfterSizeChange(s);
  ShowSizeFields();
}

void ChooseStatusLimit() {
  if (auto limit = StatusDisplayLimitOfItem(rt::ControlValue(kStatusDisplayPopup)))
    Max_Display_Speed = *limit;
  else
    PlayIfSoundsOn("big click.mp3");
}

void FlipSwitch(int16_t button, int16_t slot) {
  TogglePrefs(slot);
  const bool on = PrefsArray[slot] != 0;
  if (button == 27) {
    if (on)
      DrawMascot();
    else
      ClearArea(kMascot.left, kMascot.top, kMascot.right, kMascot.bottom);
  } else if (button == 230 && on) {
    PlaySound("Guitar.mp3", kSounds);
    rt::Delay(600);
    PlaySound("VornSound.mp3", kSounds);
  } else if (button == 5 && on && Sound_Is_On != 0) {
    PlaySound("skid.mp3", kSounds);
    rt::Delay(500);
    PlaySound("scream.mp3", kSounds);
  }
}

// Windows opened from this one leave it behind: bring it back and take the events again.
void Resume() {
  InstallHandlers();
  rt::BringWindowForward(kPreferencesWindow);
}

// The word names one device at a time: a two-group pattern moves to its one-group
// partner here, as it does in the switching window, and a line says so. The coding also
// decides which devices the interface reaches (four lines on a DT500 or DT50 wired one
// line per device): a device of the set-up now out of reach is named, as the set-up
// window will name it when it refuses to start.
void ChooseCoding(Session& s, int16_t button) {
  PrefsArray[PrefsSlot::DigitalOutputCoding] = button == 17 ? 1 : 0;
  if (FitPatternToCoding()) s.groupsMoved = true;
  // The device out of reach stops the next run: it is said first.
  std::string line = s.groupsMoved ? "The word switches one device: two groups became one." : "";
  if (const auto device = UnswitchableDevice()) line = *device;
  if (line.empty()) {
    ClearRefusalLine(kCodingNoteField);
    return;
  }
  ShowRefusalLine(kCodingNoteField, kCodingNote, line);
  if (std::find(s.fields.begin(), s.fields.end(), kCodingNoteField) == s.fields.end())
    s.fields.push_back(kCodingNoteField);
}

void SaveSettings(Session& s) {
  ReadSizeFields(s);
  SAVEsettings();
  Resume();
}

void ClickButton(Session& s, int16_t button) {
  if (const int16_t slot = ToggleSlotOf(button)) {
    FlipSwitch(button, slot);
    return;
  }
  switch (button) {
    case 4:
      Sound_Is_On = Sound_Is_On != 0 ? 0 : 1;
      if (Sound_Is_On != 0) PlaySound("upvip.mp3", kSounds);
      break;
    case 23:
      SerialWarningBuzz = SerialWarningBuzz != 0 ? 0 : 1;
      if (SerialWarningBuzz != 0) PlaySound("AlarmBUZZ.mp3", kSounds);
      break;
    case 13:
    case 14:
    case 15:
      ChooseFileFormat(button);
      break;
    case 16:
    case 17:
      ChooseCoding(s, button);
      break;
    case 21:
    case 22:
      PrefsArray[PrefsSlot::LightToolbar] = button == 22 ? 1 : 0;
      break;
    case 36:
    case 37:
      PrefsArray[PrefsSlot::BadReadingKeepsLast] = button == 37 ? 1 : 0;
      break;
    case 10:
    case 11:
      Digital_Port = button == 10 ? 0 : 2;
      break;
    case kRateToleranceButton:
      files_hooks::SampleRatePRECISION();
      Resume();
      if (s.tab == 3) DrawToleranceText();
      break;
    case kEditShutdownButton:
      ShutdownMessage();
      Resume();
      break;
    case kWindowSizePopup:
      ChooseWindowSize(s);
      break;
    case kStatusDisplayPopup:
      ChooseStatusLimit();
      break;
    case kPrefsHelpButton:
      DoHelpWindow(s.tab == 1   ? kAppearanceHelpTopic
                   : s.tab == 2 ? kInterfaceHelpTopic
                                : kAcquiringHelpTopic);
      break;
    case kPrefsSaveButton:
      SaveSettings(s);
      break;
    case kPrefsOKButton:
      s.done = true;
      return;
    case kPrefsTabControl: {
      const auto tab = static_cast<int16_t>(rt::ControlValue(kPrefsTabControl));
      if (tab != s.tab) {
        s.tab = tab;
        BuildTab(s);
      }
      return;
    }
    default:
      return;
  }
}

void HandleEvent(Session& s) {
  switch (Action) {
    case ActionCode::Click:
      ClickButton(s, static_cast<int16_t>(EventID));
      if (!s.done && rt::WindowExists(kPreferencesWindow)) {
        rt::SetOutputWindow(kPreferencesWindow);
        setprefbuts();
        rt::FlushWindow();
      }
      break;
    case ActionCode::CloseBox:
      if (EventID == kPreferencesWindow) s.done = true;
      break;
    case ActionCode::Key:
      if (EventID == 0 || EventID == 13 || EventID == 3) s.done = true;
      break;
    default:
      break;
  }
}

void SetControl(int16_t number, bool marked) {
  if (rt::ControlExists(number)) rt::SetControlState(number, On(marked));
}

}  // namespace

const char* KeptNote(int16_t button) {
  for (const auto* list : {&kAppearanceSwitches, &kInterfaceSwitches, &kAcquireSwitches})
    for (const Switch& b : *list)
      if (b.number == button) return NoteOf(b);
  return nullptr;
}

void setprefbuts() {
  for (const auto* list : {&kAppearanceSwitches, &kInterfaceSwitches, &kAcquireSwitches})
    for (const Switch& b : *list)
      if (const int16_t slot = ToggleSlotOf(b.number)) SetControl(b.number, PrefsArray[slot] != 0);
  SetControl(4, Sound_Is_On != 0);
  SetControl(23, SerialWarningBuzz != 0);
  const int16_t format = FileFormatButton();
  for (int16_t b : {13, 14, 15}) SetControl(b, b == format);
  SetControl(16, PrefsArray[PrefsSlot::DigitalOutputCoding] == 0);
  SetControl(17, PrefsArray[PrefsSlot::DigitalOutputCoding] != 0);
  SetControl(21, PrefsArray[PrefsSlot::LightToolbar] == 0);
  SetControl(22, PrefsArray[PrefsSlot::LightToolbar] != 0);
  SetControl(36, PrefsArray[PrefsSlot::BadReadingKeepsLast] == 0);
  SetControl(37, PrefsArray[PrefsSlot::BadReadingKeepsLast] != 0);
  MarkPreferenceMenus();
}

void SetPREFERENCES() {
  const HandlerScope callersHandlers;
  Session s;
  s.oldHeight = PrefsArray[PrefsSlot::WindowHeight];
  services::SetUpMENUs(0);
  BuildWindow(s);
  Action = 0;
  EventID = 0;
  InstallHandlers();
  while (!s.done && rt::WindowExists(kPreferencesWindow)) {
    rt::PumpEvents();
    HandleEvent(s);
    Action = 0;
    EventID = 0;
  }
  // The window promises that changes take effect at once: a typed size too.
  if (rt::WindowExists(kPreferencesWindow)) ReadSizeFields(s);
  rt::CloseWindow(kPreferencesWindow);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
