// The full menu handler: the application, Help, File, Edit and View commands
// and the common ending of every command. The A-D, D-A and Special commands
// are in dispatch_ad.cpp.
#include "shell/dispatch.h"

#include <algorithm>
#include <string>

#include "acquisition/chart_heights.h"
#include "acquisition/state.h"
#include "acquisition/view_windows.h"
#include "conversions/custom_windows.h"
#include "files/color_window.h"
#include "files/file_info_window.h"
#include "files/prefs_window.h"
#include "files/save_commands.h"
#include "files/setup_report.h"
#include "files/state.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/display_settings.h"
#include "setup/needs.h"
#include "setup/rate_check_window.h"
#include "setup/rearrange_channels.h"
#include "setup/state.h"
#include "shell/about.h"
#include "shell/commands.h"
#include "shell/menus.h"

namespace mv {

namespace dispatch {

namespace {

using namespace MenuNumber;

constexpr int16_t kAboutWindow = 33;

bool On(int slot) {
  return PrefsArray[slot] != 0;
}

void Redraw() {
  Action = ActionCode::Redraw;
  EventID = 0;
}

// File items 3 to 5 choose the data-file format; Data File Info has nothing
// to describe in the text format.
void ChooseFileFormat(int16_t menuItem) {
  PrefsArray[PrefsSlot::SaveSable] = menuItem == 5 ? 1 : 0;
  PrefsArray[PrefsSlot::SaveText] = menuItem == 4 ? 1 : 0;
  rt::EnableMenuItem(Edit, 13, menuItem != 4);
  if (menuItem == 3)
    upVipSOUND();
  else
    downVipSOUND();
}

void FlipSounds() {
  Sound_Is_On = Sound_Is_On != 0 ? 0 : 1;
  if (Sound_Is_On != 0) {
    SetMenuItemState(Edit, 11, On(PrefsSlot::WeirdSounds) ? 2 : 1);
    rt::CheckMenuItem(Edit, 10, true);
    upVipSOUND();
  } else {
    SetMenuItemState(Edit, 11, 0);
    rt::CheckMenuItem(Edit, 11, On(PrefsSlot::WeirdSounds));
    rt::CheckMenuItem(Edit, 10, false);
    downVipSOUND();  // silent: sounds are off now
  }
}

void FlipWeirdSounds() {
  TogglePrefs(PrefsSlot::WeirdSounds);
  const bool on = On(PrefsSlot::WeirdSounds);
  rt::CheckMenuItem(Edit, 11, on);
  if (on) {
    ripSound();
    if (SoundsOn()) PlaySound("scream.mp3", "MVsounds");
  }
}

// Edit 16 (chart) and 17 (scope). Inside the set-up window the window opens
// its own rate dialog; elsewhere the sample-rate window runs here.
void SampleRateCommand(int16_t menuItem) {
  const bool scope = menuItem == 17;
  if (DispSetupON != 0) {
    Action = ActionCode::Click;
    EventID = scope && RecordingMODE == RecordingModeCode::ScopeChart ? 8 : 1;
    return;
  }
  MENUID = 0;
  item = 0;
  if (scope) {
    SampleIntervalinSeconds = ScopeIntervalInSeconds;
    GetSampleINTERVAL("OSCILLOSCOPE");
    ScopeIntervalInSeconds = SampleIntervalinSeconds;
    scopeinterval = static_cast<float>(SampleIntervalinSeconds);
    return;
  }
  SampleIntervalinSeconds = ChartIntervalInSeconds;
  GetSampleINTERVAL("Chart Channels");
  ChartIntervalInSeconds = SampleIntervalinSeconds;
  ChartSampleInterval = static_cast<float>(SampleIntervalinSeconds);
  setup_hooks::MAXAVERAGE();
  const int16_t last = std::clamp<int16_t>(nChannels, 0, 16);
  if (!On(PrefsSlot::DT800FastScope))
    for (int16_t ch = 1; ch <= last; ++ch) ChannelVariables[ch][ChanField::Averaged] = MaxAvrg;
  if (On(PrefsSlot::AverageLastChannel) && last > 0) ChannelVariables[last][ChanField::Averaged] = 0;
  // The interval window itself offers or withdraws Beep at Sample.
}

}  // namespace

void ShowSwitch(int16_t menu, int16_t menuItem, int slot, bool withSound) {
  const bool on = On(slot);
  rt::CheckMenuItem(menu, menuItem, on);
  if (!withSound) return;
  if (on)
    upVipSOUND();
  else
    downVipSOUND();
}

void ApplicationCommand(int16_t menuItem) {
  if (menuItem != 1) return;
  AboutMV();  // gives the calling window its own handlers back
  Redraw();
}

void HelpCommand(int16_t menuItem) {
  switch (menuItem) {
    case 1:
      HBGotoPage(kHelpBookStartPage);
      break;
    case 3:
      LSLaunchURL(1);
      break;
    case 4:
      LSLaunchURL(2);
      break;
    default:
      break;
  }
}

void FileCommand(int16_t menuItem) {
  switch (menuItem) {
    case 1:
      commands::SAVEFILES();
      break;
    case 3:
    case 4:
    case 5:
      ChooseFileFormat(menuItem);
      break;
    case 7:
      SetTimedSAVE();
      break;
    case 8:
      BACKUPFILENAME();
      break;
    case 10:
      commands::MAKESETUP();
      break;
    case 11:
      PRINTSETUP();
      break;
    default:
      if (IsQuitItem(File, menuItem)) QuitProgram();
      break;
  }
}

void EditCommand(int16_t menuItem) {
  switch (menuItem) {
    case 1:
      CUSTOMCON();
      MENUID = 255;
      break;
    case 2:
      REARRANGE();
      Action = ActionCode::ChannelsChanged;
      break;
    // Items 3 to 9, the text commands, are carried out by the runtime on the focused
    // field and never reach the handler.
    case 10:
      FlipSounds();
      break;
    case 11:
      FlipWeirdSounds();
      break;
    case 13:
      ScopeFileComments = 0;
      GETFILECOMMENTS();
      break;
    case 14:
      SampleRatePRECISION();
      break;
    case 16:
    case 17:
      SampleRateCommand(menuItem);
      break;
    case 19:
      setup_hooks::ExternalDeviceControl();
      Redraw();
      break;
    case 21:
      SetPREFERENCES();
      Action = ActionCode::Redraw;
      break;
    default:
      break;
  }
}

void ViewCommand(int16_t menuItem) {
  switch (menuItem) {
    case 1:
      SETCOLORS();
      break;
    case 8:
      ChangeCHARTHITE();
      break;
    case 9:
      SETCHARTVIEW();
      Action = 0;
      break;
    case 10:
      SETSCOPEVIEW();
      Action = 0;
      break;
    case 12:
      STATUS_DISPLAYS();
      break;
    case 13:
      TogglePrefs(PrefsSlot::ShowSwitchStatus);
      ShowSwitch(View, 13, PrefsSlot::ShowSwitchStatus, true);
      break;
    case 14:
      TogglePrefs(PrefsSlot::LargeReadouts);
      ShowSwitch(View, 14, PrefsSlot::LargeReadouts, true);
      break;
    case 15:
      SETSLOPETREND();
      break;
    case 17:
      TogglePrefs(PrefsSlot::AlwaysShowHelpData);
      ShowSwitch(View, 17, PrefsSlot::AlwaysShowHelpData, false);
      break;
    case 18:
      HBGotoPage(kHelpBookStartPage);
      break;
    default:
      break;
  }
}

// A dependent item (dashed or many grid lines) is offered only while its grid is shown.
void TimeGridCommand(int16_t menuItem) {
  switch (menuItem) {
    case 1:
      TogglePrefs(PrefsSlot::TimeGrids);
      ShowSwitch(TimeGrids, 1, PrefsSlot::TimeGrids, true);
      rt::EnableMenuItem(TimeGrids, 2, On(PrefsSlot::TimeGrids));
      rt::CheckMenuItem(TimeGrids, 2, On(PrefsSlot::DashedGrids));
      break;
    case 2:
      TogglePrefs(PrefsSlot::DashedGrids);
      ShowSwitch(TimeGrids, 2, PrefsSlot::DashedGrids, true);
      break;
    case 4:
      TogglePrefs(PrefsSlot::DashedMarkers);
      ShowSwitch(TimeGrids, 4, PrefsSlot::DashedMarkers, true);
      break;
    default:
      break;
  }
}

void ScaleGridCommand(int16_t menuItem) {
  switch (menuItem) {
    case 1:
      TogglePrefs(PrefsSlot::ScaleGrid);
      ShowSwitch(ScaleGrid, 1, PrefsSlot::ScaleGrid, true);
      rt::EnableMenuItem(ScaleGrid, 2, On(PrefsSlot::ScaleGrid));
      rt::CheckMenuItem(ScaleGrid, 2, On(PrefsSlot::ManyGridLines));
      break;
    case 2:
      TogglePrefs(PrefsSlot::ManyGridLines);
      ShowSwitch(ScaleGrid, 2, PrefsSlot::ManyGridLines, false);
      break;
    case 4:
      TogglePrefs(PrefsSlot::ZeroLines);
      ShowSwitch(ScaleGrid, 4, PrefsSlot::ZeroLines, true);
      break;
    default:
      break;
  }
}

void WindowSizeCommand(int16_t menuItem) {
  if (menuItem == 1) {
    ChartWindowSize();
    return;
  }
  auto size = WindowSizeForItem(menuItem, rt::DisplayWidth(), rt::DisplayHeight());
  if (!size) return;
  const int16_t oldHeight = PrefsArray[PrefsSlot::WindowHeight];
  PrefsArray[PrefsSlot::WindowWidth] = size->width;
  PrefsArray[PrefsSlot::WindowHeight] = size->height;
  FitScopeToWidth(size->width);
  SetChanParams(oldHeight, 1);
}

void SignificantDigitsCommand(int16_t menuItem) {
  if (menuItem < 1 || menuItem > 3) return;
  SignificantFigures = static_cast<int16_t>(menuItem + 3);
  for (int16_t i = 1; i <= 3; ++i) rt::CheckMenuItem(Digits, i, i == menuItem);
}

}  // namespace dispatch

void DoMENU(int16_t menu, int16_t menuItem) {
  using namespace MenuNumber;
  if (rt::WindowExists(dispatch::kAboutWindow)) rt::CloseWindow(dispatch::kAboutWindow);
  MENUID = menu;
  item = menuItem;
  switch (menu) {
    case Application:
      dispatch::ApplicationCommand(menuItem);
      break;
    case Help:
      dispatch::HelpCommand(menuItem);
      break;
    case File:
      dispatch::FileCommand(menuItem);
      break;
    case Edit:
      dispatch::EditCommand(menuItem);
      break;
    case View:
      dispatch::ViewCommand(menuItem);
      break;
    case TimeGrids:
      dispatch::TimeGridCommand(menuItem);
      break;
    case ScaleGrid:
      dispatch::ScaleGridCommand(menuItem);
      break;
    case WindowSize:
      dispatch::WindowSizeCommand(menuItem);
      break;
    case Digits:
      dispatch::SignificantDigitsCommand(menuItem);
      break;
    case AD:
    case ConversionEquations:
    case ConversionOptions:
    case SampleAveraging:
    case ExternalADDevice:
    case DigitalPort:
      dispatch::ADCommand(menu, menuItem);
      break;
    case DA:
      dispatch::DACommand(menuItem);
      break;
    case Special:
      dispatch::SpecialCommand(menuItem);
      break;
    default:
      break;
  }
  rt::EnableMenuItem(AD, 3, false);
  extswitchflag = 1;
  rt::DrawMenuBar();
}

}  // namespace mv
