// The main menu bar: its menus and submenus as written, their states at build
// time, the switch of the whole bar and the per-channel submenus.
#include "shell/menus.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string>
#include <utility>

#include "acquisition/state.h"
#include "control/state.h"
#include "devices/connection.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "setup/channel_table.h"
#include "setup/state.h"

namespace mv {

namespace {

using namespace MenuNumber;

struct ItemRow {
  int16_t item;
  const char* text;
};

void PlaceRows(int16_t menu, std::initializer_list<ItemRow> rows) {
  for (const ItemRow& r : rows) PlaceMenuItem(menu, r.item, r.text);
}

void NewMenuWithRows(int16_t menu, const char* title, std::initializer_list<ItemRow> rows) {
  rt::NewMenu(menu, title);
  PlaceRows(menu, rows);
}

bool On(int slot) {
  return PrefsArray[slot] != 0;
}
int16_t Checked(bool on) {
  return on ? 2 : 1;
}

// The application menu and the Help menu stay on whatever SetUpMENUs does.
void BuildApplicationAndHelpMenus() {
  NewMenuWithRows(Application, "Mirevant", {{1, "About Mirevant..."}});
  NewMenuWithRows(
      Help, "Help",
      {{1, "Mirevant Help"}, {2, "-"}, {3, "     Kestrane Website"}, {4, "     Send Me an Email..."}});
}

void BuildFileMenu() {
  NewMenuWithRows(File, "File",
                  {{1, "/SSave Data As..."},
                   {2, "-"},
                   {3, "Kestrane Binary Format"},
                   {4, "ASCII Text Format"},
                   {5, "Sable ExpeData Format"},
                   {6, "-"},
                   {7, "/TTimed Data Saves..."},
                   {8, "/B    Backup File Name..."},
                   {9, "-"},
                   {10, "/MSave Setup File..."},
                   {11, "/PPrint Setup Data..."},
                   {12, "Quit/Q"}});
  SetMenuItemState(File, 1, 0);
  // The check mark shows the format the writers will use, whoever set the
  // preference slots (this menu, the preferences window or a set-up file).
  for (int16_t i = 3; i <= 5; ++i) rt::SetMenuItemMark(File, i, [i] { return FileFormatItem() == i; });
  // Ticked while a run would back up on a timer, whoever changed the box or the interval.
  rt::SetMenuItemMark(File, 7, [] { return TimedBackupsOn(); });
  SetMenuItemState(File, 10, 0);
  SetMenuItemState(File, 11, 0);
}

// Positions 3 to 9 hold the standard text commands, which the runtime offers while a
// field of the front window has the focus and carries out on that field. They have
// no key equivalents in the bar, so Ctrl+Z, X, C and V go to the focused field itself.
void BindTextCommands() {
  using rt::FieldCommand;
  for (auto [menuItem, command] : {std::pair{3, FieldCommand::Undo},
                                   {5, FieldCommand::Cut},
                                   {6, FieldCommand::Copy},
                                   {7, FieldCommand::Paste},
                                   {8, FieldCommand::Clear},
                                   {9, FieldCommand::SelectAll}})
    rt::SetMenuItemFieldCommand(Edit, static_cast<int16_t>(menuItem), command);
}

void BuildEditMenu() {
  NewMenuWithRows(Edit, "Edit",
                  {{1, "Custom Conversions..."},
                   {2, "Re-arrange Channel Order..."},
                   {3, "Undo"},
                   {4, "-"},
                   {5, "Cut"},
                   {6, "Copy"},
                   {7, "Paste"},
                   {8, "Clear"},
                   {9, "Select All"},
                   {10, "Play Sounds"},
                   {11, "    Weird Sounds"},
                   {12, "-"},
                   {13, "/IData File Info..."},
                   {14, "Rate Records Precision..."},
                   {15, "-"},
                   {16, "/RChart Sample Rate..."},
                   {17, "Scope Sample Rate..."},
                   {18, "-"},
                   {19, "/EExternal Device Control..."},
                   {20, "-"},
                   {21, "Preferences..."}});
  BindTextCommands();
  for (int16_t i : {2, 16, 17, 19}) SetMenuItemState(Edit, i, 0);
  SetMenuItemState(Edit, 10, Checked(Sound_Is_On != 0));
  SetMenuItemState(Edit, 11, Sound_Is_On != 0 ? Checked(On(PrefsSlot::WeirdSounds)) : 0);
  rt::CheckMenuItem(Edit, 11, On(PrefsSlot::WeirdSounds));
  SetMenuItemState(Edit, 13, 1);
  // File comments belong to the binary and Sable formats; a text file has none.
  rt::SetMenuItemCondition(Edit, 13, [] { return FileFormatItem() != 4; });
}

void BuildViewMenu() {
  NewMenuWithRows(View, "View",
                  {{1, "Plot Style..."},
                   {2, "-"},
                   {5, "-"},
                   {7, "-"},
                   {8, "Plot Height..."},
                   {9, "/GChart Views and Tics..."},
                   {10, "Scope Views and Tics..."},
                   {11, "-"},
                   {12, "/DStatus Displays..."},
                   {13, "Show Switch Status"},
                   {14, "/LLarge Readouts"},
                   {15, "Slope Trends..."},
                   {16, "-"},
                   {17, "Always Show Help Data"},
                   {18, "/H     Open Help Window..."},
                   {19, "-"}});
  MakeHierMENU(View, 3, "Time Grid Display", TimeGrids);
  PlaceRows(TimeGrids,
            {{1, "Show Time Grids"}, {2, "Dashed Grid Lines"}, {3, "-"}, {4, "Dashed Marker Lines"}});
  MakeHierMENU(View, 4, "Scale Grid Display", ScaleGrid);
  PlaceRows(ScaleGrid, {{1, "/YShow Scale Grid"}, {2, "Many Grid Lines"}, {3, "-"}, {4, "Show Zero Lines"}});
  MakeHierMENU(View, 6, "Recording Window Size", WindowSize);
  PlaceRows(WindowSize, {{1, "Drag to Desired Size..."},
                         {2, "-"},
                         {3, "640 X 480"},
                         {4, "800 X 600"},
                         {5, "832 X 624"},
                         {6, "1024 X 768"},
                         {7, "Fill Screen"}});
  MakeHierMENU(View, 20, "Significant Digits", Digits);
  PlaceRows(Digits, {{1, "Four"}, {2, "Five"}, {3, "Six"}});

  for (int16_t i : {6, 8, 9, 10}) SetMenuItemState(View, i, 0);
  SetMenuItemState(View, 13, 0);
  rt::CheckMenuItem(View, 13, On(PrefsSlot::ShowSwitchStatus));
  rt::CheckMenuItem(View, 14, On(PrefsSlot::LargeReadouts));
  SetMenuItemState(View, 17, PrefsArray[PrefsSlot::WindowWidth] == 640 ? 0 : 1);
  rt::CheckMenuItem(View, 17, On(PrefsSlot::AlwaysShowHelpData));

  rt::CheckMenuItem(TimeGrids, 1, On(PrefsSlot::TimeGrids));
  rt::CheckMenuItem(TimeGrids, 2, On(PrefsSlot::DashedGrids));
  rt::EnableMenuItem(TimeGrids, 2, On(PrefsSlot::TimeGrids));
  rt::CheckMenuItem(TimeGrids, 4, On(PrefsSlot::DashedMarkers));
  rt::CheckMenuItem(ScaleGrid, 1, On(PrefsSlot::ScaleGrid));
  rt::CheckMenuItem(ScaleGrid, 2, On(PrefsSlot::ManyGridLines));
  rt::EnableMenuItem(ScaleGrid, 2, On(PrefsSlot::ScaleGrid));
  rt::CheckMenuItem(ScaleGrid, 4, On(PrefsSlot::ZeroLines));
  for (int16_t i = 4; i <= 6; ++i)
    rt::EnableMenuItem(WindowSize, i, WindowSizeItemFits(i, rt::DisplayWidth()));
  for (int16_t i = 1; i <= 3; ++i) rt::CheckMenuItem(Digits, i, i == SignificantFigures - 3);
}

// The External A-D Device submenu is made for the interface in use.
void BuildExternalADDeviceMenu() {
  rt::DeleteMenu(ExternalADDevice);
  MakeHierMENU(AD, 6, "External A-D Device", ExternalADDevice);
  switch (External_AD) {
    case ExternalADCode::SableUI2:
    case ExternalADCode::SableUI3:
      PlaceRows(ExternalADDevice,
                {{1, "    Sable Temperature Channels..."}, {2, "    UI2 or UI3 Firmware..."}});
      break;
    case ExternalADCode::DT500:
    case ExternalADCode::DT50:
      PlaceRows(ExternalADDevice, {{1, "    DataTaker Inputs..."},
                                   {2, "-"},
                                   {3, "    Reset DataTaker"},
                                   {4, External_AD == ExternalADCode::DT500 ? "    DT500 Firmware..."
                                                                            : "    DT50 Firmware..."}});
      SetMenuItemState(ExternalADDevice, 1, 0);
      break;
    case ExternalADCode::DT800:
      PlaceRows(ExternalADDevice, {{1, "    DataTaker Inputs..."},
                                   {2, "    DT800 Acquisition Mode..."},
                                   {3, "    Reset DataTaker"},
                                   {4, "    DT800 Firmware..."},
                                   {5, "    Flush DT800 Buffer..."}});
      SetMenuItemState(ExternalADDevice, 1, 0);
      PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
      break;
    case ExternalADCode::DT80:
    case ExternalADCode::DT85:
      PlaceRows(ExternalADDevice, {{1, "    DataTaker Inputs..."},
                                   {2, "-"},
                                   {3, "    Reset DataTaker"},
                                   {4, "    DT8x Firmware..."}});
      SetMenuItemState(ExternalADDevice, 1, 0);
      break;
    case ExternalADCode::ADAM:
      PlaceRows(ExternalADDevice, {{1, "    ADAM-4019 Inputs..."},
                                   {2, "-"},
                                   {3, "    ADAM Firmware and CJC..."},
                                   {4, "-"},
                                   {5, "    Set ADAM Module Address..."}});
      break;
    default:
      break;
  }
  if (External_AD >= 1 && External_AD <= 3) rt::CheckMenuItem(ExternalADDevice, 1, true);
}

void BuildADMenu() {
  const bool sable = External_AD == ExternalADCode::SableUI2 || External_AD == ExternalADCode::SableUI3;
  NewMenuWithRows(AD, "A-D",
                  {{3, "-"},
                   {4, "-"},
                   {5, "-"},
                   {7, "    Configure Serial Port..."},
                   {8, "-"},
                   {9, "/FTest Mode ['DEMO']"},
                   {10, "-"},
                   {12, "Spike Filter..."},
                   {13, "-"},
                   {14, "Audible Event Timer..."},
                   {15, "Beep at Sample"},
                   {16, "/WAlarms..."},
                   {17, "-"},
                   {18, "Trigger Controls..."},
                   {19, "Autorepeat"},
                   {20, "/KCut Channels..."},
                   {21, "Add a Channel..."},
                   {22, "-"},
                   {23, "2-channel X-Y Plot..."},
                   {24, "-"},
                   {25, "Extra Zero Linkages..."}});
  MakeHierMENU(AD, 1, "Conversion Equations", ConversionEquations);
  MakeHierMENU(AD, 2, "Conversion Options", ConversionOptions);
  // Only the Sable interfaces have the serial instrument item; elsewhere its
  // place is an empty line, so the other items keep their numbers.
  if (sable)
    PlaceMenuItem(
        AD, 4,
        External_AD == ExternalADCode::SableUI2 ? "UI2 Serial Instruments..." : "UI3 Serial Instruments...");
  BuildExternalADDeviceMenu();
  MakeHierMENU(AD, 11, "Sample Averaging", SampleAveraging);
  PlaceRows(SampleAveraging, {{1, "User-specified, Each Channel"},
                              {2, "Continuous, Last Channel"},
                              {3, "/NContinuous, All Channels"}});
  rt::CheckMenuItem(SampleAveraging, 3, true);

  rt::CheckMenuItem(AD, 9, DemonstrationMODE != 0);
  rt::CheckMenuItem(AD, 12, On(PrefsSlot::SpikeFilterOn));
  for (int16_t i : {15, 20, 21, 25}) SetMenuItemState(AD, i, 0);
}

void BuildDAMenu() {
  NewMenuWithRows(DA, "D-A",
                  {{1, "Analog Output, Channel 1..."},
                   {2, "Feedback Control, Channel 1..."},
                   {3, "-"},
                   {4, "Analog Output, Channel 2..."},
                   {5, "Feedback Control, Channel 2..."},
                   {6, "-"},
                   {7, "/OOpen AO Data..."},
                   {8, "Save AO Data..."}});
  // The items the interface in use can serve, and its digital port choice.
  AOmenuAdjust();
}

void BuildSpecialMenu() {
  NewMenuWithRows(Special, "Special",
                  {{1, "   Simple Math..."},
                   {2, "   Simple Regression..."},
                   {3, "   Expression Evaluator..."},
                   {4, "-"},
                   {5, "   STP Adjustment..."},
                   {6, "   Altitude and Pressure..."},
                   {7, "          Altitude Simulation..."},
                   {8, "   pO2 Estimation..."},
                   {9, "   Dissolved Oxygen..."},
                   {10, "-"},
                   {11, "   Metabolic Allometry..."},
                   {12, "          Minimum Flowrate..."},
                   {13, "   Chamber Washout..."},
                   {14, "   Q10 Adjustment..."},
                   {15, "   Closed System Respirometry..."},
                   {16, "-"},
                   {17, "   Day of the Year..."},
                   {18, "   Sunrise, Sunset..."},
                   {19, "   Unit Conversions..."}});
}

}  // namespace

// ---- the model as written -------------------------------------------------------------------

void PlaceMenuItem(int16_t menu, int16_t menuItem, std::string_view text) {
  char key = 0;
  auto isLetter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  if (text.size() >= 2 && text[0] == '/' && isLetter(text[1])) {
    key = text[1];
    text.remove_prefix(2);
  } else if (text.size() >= 3 && text[text.size() - 2] == '/' && isLetter(text.back())) {
    key = text.back();
    text.remove_suffix(2);
  }
  rt::SetMenuItem(menu, menuItem, Str255(text));
  rt::SetMenuItemKey(menu, menuItem, key);
}

void SetMenuItemState(int16_t menu, int16_t menuItem, int16_t state) {
  rt::EnableMenuItem(menu, menuItem, state != 0);
  rt::CheckMenuItem(menu, menuItem, state == 2);
}

bool IsQuitItem(int16_t menu, int16_t menuItem) {
  return menu == File && rt::GetMenuItem(menu, menuItem).key == 'Q';
}

int16_t FileFormatItem() {
  if (On(PrefsSlot::SaveSable)) return 5;
  if (On(PrefsSlot::SaveText)) return 4;
  return 3;
}

Str255 ChannelMenuText(const char* prefix, int16_t channel) {
  Str255 label = ChannelLabel(channel);
  TRUNCATE(label);
  return Str255(prefix) + NumText(channel) + ":  " + label;
}

std::optional<WindowSizeChoice> WindowSizeForItem(int16_t menuItem, int displayWidth, int displayHeight) {
  switch (menuItem) {
    case 3:
      return WindowSizeChoice{640, 480};
    case 4:
      return WindowSizeChoice{800, 600};
    case 5:
      return WindowSizeChoice{832, 624};
    case 6:
      return WindowSizeChoice{1024, 768};
    case 7:
      return WindowSizeChoice{static_cast<int16_t>(displayWidth - 30),
                              static_cast<int16_t>(displayHeight - 47)};
    default:
      return std::nullopt;
  }
}

bool WindowSizeItemFits(int16_t menuItem, int displayWidth) {
  auto size = WindowSizeForItem(menuItem, displayWidth, 0);
  return !size || menuItem == 7 || displayWidth >= size->width;
}

void FitScopeToWidth(int16_t width) {
  if (width <= 0) return;
  if (ScopeMax >= width) {
    scopeXfactor = static_cast<float>(width) / static_cast<float>(ScopeMax);
  } else {
    ScopeMax = width;
    scopeXfactor = 1;
  }
}

Str255 GuardCountText(int32_t samples) {
  if (samples >= 1'000'000) return PictureFormat(samples, "#,###,###");
  Str255 digits = PictureFormat(samples, "###,###");
  std::size_t first = 0;
  while (first < digits.size() && digits[first] == ' ') ++first;
  return Str255(" ") + digits.mid(first + 1);
}

// ---- the bar ----------------------------------------------------------------------------------

void MakeHierMENU(int16_t menu, int16_t menuItem, const Str255& title, int16_t submenu) {
  rt::SetMenuItem(menu, menuItem, title);
  rt::NewMenu(submenu, title);
  rt::SetSubmenu(menu, menuItem, submenu);
}

void MainMENU() {
  BuildApplicationAndHelpMenus();
  BuildFileMenu();
  BuildEditMenu();
  BuildViewMenu();
  BuildADMenu();
  BuildDAMenu();
  BuildSpecialMenu();
  rt::SetMenuBar({Application, File, Edit, View, AD, DA, Special, Help});
  rt::DrawMenuBar();
}

void SetUpMENUs(int16_t state) {
  for (int16_t m = File; m <= Special; ++m) rt::EnableMenuItem(m, 0, state != 0);
  // The links can be shown and changed only while they act.
  rt::EnableMenuItem(AD, 25, ZeroLinksInForce());
  bool alarmSet = false;
  const int16_t last = std::clamp<int16_t>(nChannels, 0, 16);
  for (int16_t ch = 1; ch <= last; ++ch) alarmSet = alarmSet || alarmsArray[ch][AlarmField::AnyOn] != 0;
  rt::CheckMenuItem(AD, 16, alarmSet);
  rt::DrawMenuBar();
}

void MENU_100() {
  const int16_t last = std::clamp<int16_t>(nChannels, 0, 16);
  rt::NewMenu(ConversionEquations, "Conversion Equations");
  rt::NewMenu(ConversionOptions, "Conversion Options");
  for (int16_t ch = 1; ch <= last; ++ch) {
    rt::SetMenuItem(ConversionEquations, ch, ChannelMenuText("Ch.", ch));
    rt::SetMenuItem(ConversionOptions, ch, ChannelMenuText("ch.", ch));
  }
  // The scope channel is always shown in volts.
  if (RecordingMODE >= RecordingModeCode::Scope) rt::EnableMenuItem(ConversionEquations, 1, false);
  rt::EnableMenuItem(AD, 1, true);
  rt::EnableMenuItem(AD, 20, true);
  rt::DrawMenuBar();
}

}  // namespace mv
