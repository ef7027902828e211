#include "files/prefs_rules.h"

#include <algorithm>
#include <cmath>

#include "acquisition/state.h"
#include "files/prefs_file.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "setup/state.h"

namespace mv {

namespace {

struct Toggle {
  int16_t button;
  int16_t slot;
};

constexpr Toggle kToggles[] = {
    {122, PrefsSlot::ShowSwitchStatus},  {123, PrefsSlot::LargeReadouts},
    {6, PrefsSlot::TimeGrids},           {7, PrefsSlot::ZeroLines},
    {9, PrefsSlot::AlwaysShowHelpData},  {24, PrefsSlot::AquaLabels},
    {27, PrefsSlot::MascotPictures},     {230, PrefsSlot::StartupSounds},
    {5, PrefsSlot::WeirdSounds},         {25, PrefsSlot::WarnUnsaved},
    {125, PrefsSlot::ShutdownMessage},   {19, PrefsSlot::AddExtensions},
    {26, PrefsSlot::AutoInterface},      {20, PrefsSlot::AutoSerialPort},
    {8, PrefsSlot::AutomaticBackup},     {121, PrefsSlot::CheckBackupName},
    {18, PrefsSlot::AverageAllChannels}, {124, PrefsSlot::MarkersInReplay},
    {38, PrefsSlot::ToolbarHelp},
};

struct StatusItem {
  int item;
  int32_t limit;
};

constexpr StatusItem kStatusItems[] = {{1, -1},    {2, 0},    {3, 0},    {4, 100000}, {5, 33333}, {6, 20000},
                                       {7, 10000}, {8, 6667}, {9, 5000}, {10, 2000},  {11, 1000}};

namespace Menu {
constexpr int16_t File = 1, Edit = 2, View = 3, TimeGrids = 90, ScaleGrid = 91, SampleAveraging = 110;
}

int16_t& Slot(int s) {
  return PrefsArray[s];
}

// A whole number typed into a size field; texts that are no number give 0.
int TypedWholeNumber(std::string_view text) {
  const double v = TextToNumber(text);
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(v, -32768.0, 32767.0));
}

}  // namespace

int16_t ToggleSlotOf(int16_t button) {
  for (const Toggle& t : kToggles)
    if (t.button == button) return t.slot;
  return 0;
}

void ChooseFileFormat(int16_t button) {
  switch (button) {
    case 13:
      Slot(PrefsSlot::SaveSable) = 0;
      Slot(PrefsSlot::SaveText) = 0;
      break;
    case 15:
      Slot(PrefsSlot::SaveSable) = 1;
      Slot(PrefsSlot::SaveText) = 0;
      break;
    case 14:
      Slot(PrefsSlot::SaveSable) = 0;
      Slot(PrefsSlot::SaveText) = 1;
      break;
    default:
      break;
  }
}

int16_t FileFormatButton() {
  if (Slot(PrefsSlot::SaveSable) != 0) return 15;
  if (Slot(PrefsSlot::SaveText) != 0) return 14;
  return 13;
}

void ApplyWindowSizeChoice(int16_t popupItem, int displayWidth, int displayHeight) {
  Slot(PrefsSlot::WindowSizeChoice) = popupItem;
  if (popupItem == 5) return;
  const StoredWindowSize size = WindowSizeForChoice(popupItem, displayWidth, displayHeight);
  Slot(PrefsSlot::WindowWidth) = size.width;
  Slot(PrefsSlot::WindowHeight) = size.height;
}

int16_t WindowSizePopupItem(int16_t slot8) {
  return (slot8 >= 1 && slot8 <= 6) ? slot8 : 5;
}

void FitScopeToWindowWidth(int16_t width) {
  if (width <= 0) return;
  ScopeMax = std::max<int32_t>(ScopeMax, width);
  scopeXfactor = static_cast<float>(width) / static_cast<float>(ScopeMax);
}

bool ReadScreenData(std::string_view widthText, std::string_view heightText) {
  if (Slot(PrefsSlot::WindowSizeChoice) != 5) return false;
  Slot(PrefsSlot::WindowWidth) = static_cast<int16_t>(std::max(TypedWholeNumber(widthText), 640));
  Slot(PrefsSlot::WindowHeight) = static_cast<int16_t>(std::max(TypedWholeNumber(heightText), 480));
  return true;
}

std::optional<int32_t> StatusDisplayLimitOfItem(int item) {
  for (const StatusItem& s : kStatusItems)
    if (s.item == item) return s.limit;
  return std::nullopt;
}

int16_t StatusDisplayItemOf(int32_t limit) {
  for (const StatusItem& s : kStatusItems)
    if (s.limit == limit && s.item != 3) return static_cast<int16_t>(s.item);
  return 1;
}

Str255 RateToleranceText() {
  const float percent = SampRateError * 100.0f;
  return Str255("Rate Records Precision is ") + PrintedNumber(percent) + "%";
}

void MarkPreferenceMenus() {
  rt::CheckMenuItem(Menu::Edit, 10, Sound_Is_On != 0);
  rt::EnableMenuItem(Menu::Edit, 11, Sound_Is_On != 0);
  rt::CheckMenuItem(Menu::Edit, 11, Slot(PrefsSlot::WeirdSounds) != 0);
  rt::EnableMenuItem(Menu::Edit, 13, Slot(PrefsSlot::SaveText) == 0);
  rt::CheckMenuItem(Menu::View, 13, Slot(PrefsSlot::ShowSwitchStatus) != 0);
  rt::CheckMenuItem(Menu::View, 14, Slot(PrefsSlot::LargeReadouts) != 0);
  rt::CheckMenuItem(Menu::View, 17, Slot(PrefsSlot::AlwaysShowHelpData) != 0);
  rt::EnableMenuItem(Menu::View, 17, Slot(PrefsSlot::WindowWidth) != 640);
  rt::CheckMenuItem(Menu::TimeGrids, 1, Slot(PrefsSlot::TimeGrids) != 0);
  rt::EnableMenuItem(Menu::TimeGrids, 2, Slot(PrefsSlot::TimeGrids) != 0);
  rt::CheckMenuItem(Menu::ScaleGrid, 4, Slot(PrefsSlot::ZeroLines) != 0);
  const bool all = Slot(PrefsSlot::AverageAllChannels) != 0;
  const bool last = !all && Slot(PrefsSlot::AverageLastChannel) != 0;
  rt::CheckMenuItem(Menu::SampleAveraging, 1, !all && !last);
  rt::CheckMenuItem(Menu::SampleAveraging, 2, last);
  rt::CheckMenuItem(Menu::SampleAveraging, 3, all);
  const int16_t format = FileFormatButton();
  rt::CheckMenuItem(Menu::File, 3, format == 13);
  rt::CheckMenuItem(Menu::File, 4, format == 14);
  rt::CheckMenuItem(Menu::File, 5, format == 15);
}

}  // namespace mv
