#include "shell/mode_window.h"

#include <string>
#include <vector>

#include "conversions/state.h"
#include "devices/state.h"
#include "files/setup_commands.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/commands.h"
#include "shell/menus.h"

namespace mv {

namespace {

using namespace MenuNumber;

constexpr int16_t kHelpWindow = 18;
// While this help window is open the "?" button has nothing to add.
constexpr int16_t kOpenHelpWindow = 250;
constexpr const char* kImages = "MVimages";
// Charts faster than this have no slope trends.
constexpr double kSlopeTrendShortestInterval = 0.033333;

constexpr int16_t kColumnLeft[4] = {15, 121, 227, 333};
constexpr int16_t kRowTop[4] = {148, 170, 192, 214};

void DrawPicture(const char* file, Rect r) {
  DrawThisImage(CreateCGImageFromBundleResource(kImages, file), r.left, r.top, r.right, r.bottom);
}

void EmbossChannelHeading() {
  EmbossPrint(1, "Number of channels", 28, 115, 136);
}

void SetOKButton() {
  rt::SetControlState(ModeControl::SelectionOK, nChannels >= 1 ? 1 : 0);
}

void DrawSlowInterfaceNotice() {
  DrawPicture("CautionIcon.gif", Rect{170, 10, 199, 39});
  EmbossPrint(1, "Only chart mode is possible ", 24, 220, 40);
  EmbossPrint(1, "with this slow A-D converter", 24, 220, 72);
  const ModePicture picture = ModeWindowPicture(External_AD, DemonstrationMODE);
  DrawPicture(picture.file, picture.where);
}

void DrawModeHeading() {
  EmbossPrint(1, "Recording Mode", 36, 200, 45);
  if (PrefsArray[PrefsSlot::MascotPictures]) {
    static const char* const kMascots[] = {"Pladdy1.gif", "Pladdy2.gif", "Pladdy3.gif"};
    DrawPicture(kMascots[rt::Rnd(3) - 1], Rect{495, 5, 550, 68});
  }
  const ModePicture picture = ModeWindowPicture(External_AD, DemonstrationMODE);
  DrawPicture(picture.file, picture.where);
  const std::vector<Str255> tabs = {"Chart (1 - 16 Channels)", "Scope (1 Channel)",
                                    "Scope + Chart (2 - 5 Channels)"};
  rt::NewTabsControl(ModeControl::Tabs, tabs, Rect{20, 68, 583, 96}, 1);
}

void BuildModeWindow() {
  rt::CloseWindow(kModeWindow);
  BuildWINDOW(kModeWindow, "Modes and Channels", 20, 85, 622, 350, 262);
  if (PrefsArray[PrefsSlot::AlwaysShowHelpData]) {
    DoHelpWindow(kModeHelpTopic);
    rt::BringWindowForward(kModeWindow);
    rt::SetOutputWindow(kModeWindow);
  }
  rt::NewControl(ModeControl::SetupFile, rt::ControlType::PushButton, "Use Setup File",
                 Rect{465, 140, 580, 160}, 1);
  rt::NewControl(ModeControl::Help, rt::ControlType::PushButton, "?", Rect{492, 185, 542, 205}, 1);
  rt::NewControl(ModeControl::SelectionOK, rt::ControlType::DefaultButton, "Selection OK",
                 Rect{465, 223, 580, 245}, 0);
  if (External_AD != ExternalADCode::Demonstration) RecordingMODE = RecordingModeCode::Chart;
  ChannelSelectButtons(16);
  FixRMchans();
  EmbossChannelHeading();
  if (IsSlowInterface(External_AD))
    DrawSlowInterfaceNotice();
  else
    DrawModeHeading();
  rt::FlushWindow();
}

// A tab was clicked: its pane replaces the others.
void ShowTab(int16_t tab) {
  for (int16_t c = ModeControl::FirstChannel - 1; c <= ModeControl::LastChannel; ++c) rt::DisposeControl(c);
  ClearArea(10, 100, 460, 160);
  nChannels = 0;
  switch (tab) {
    case 2:
      RecordingMODE = RecordingModeCode::Scope;
      EmbossPrint(1, bullet + " Scope mode uses one channel", 24, 30, 136);
      nChannels = 1;
      break;
    case 3:
      RecordingMODE = RecordingModeCode::ScopeChart;
      EmbossChannelHeading();
      ChannelSelectButtons(5);
      break;
    default:
      RecordingMODE = RecordingModeCode::Chart;
      EmbossChannelHeading();
      ChannelSelectButtons(16);
      break;
  }
  FixRMchans();
  rt::FlushWindow();
}

void ChooseChannels(int16_t button) {
  const auto previous = static_cast<int16_t>(ModeControl::FirstChannel - 1 + nChannels);
  if (nChannels >= 1 && rt::ControlExists(previous)) rt::SetControlState(previous, 1);
  nChannels = static_cast<int16_t>(button - (ModeControl::FirstChannel - 1));
  rt::SetControlState(button, 2);
}

// One pass of the pump: the control clicked (or the OK button for a typed key), 0 for
// anything else.
int16_t NextChoice() {
  rt::SetMenuHandler(DoMENU);
  rt::PumpEvents();
  if (MENUID == MenuNumber::AD) MENUID = 0;
  if (!rt::WindowExists(kModeWindow)) {
    // Something closed the window under the loop: start it again with nothing chosen.
    nChannels = 0;
    RecordingMODE = 0;
    BuildModeWindow();
    Action = 0;
    return 0;
  }
  rt::SetOutputWindow(kModeWindow);
  rt::SetControlState(ModeControl::Help, rt::WindowExists(kOpenHelpWindow) ? 0 : 1);
  int16_t choice = 0;
  if (Action == ActionCode::Click) {
    choice = static_cast<int16_t>(EventID);
  } else if (Action == ActionCode::Key) {
    if (TypedKeySelects(rt::ControlState(ModeControl::SelectionOK))) choice = ModeControl::SelectionOK;
  } else if (Action == ActionCode::Redraw && rt::FrontWindow() != kModeWindow) {
    rt::BringWindowForward(kModeWindow);  // a menu command's window has closed
  }
  Action = 0;
  return choice;
}

}  // namespace

// ---- rules -------------------------------------------------------------------------------------

Rect ChannelButtonRect(int16_t channels) {
  const int n = channels < 1 ? 0 : (channels > 16 ? 15 : channels - 1);
  const int16_t left = kColumnLeft[n % 4], top = kRowTop[n / 4];
  return Rect{left, top, static_cast<int16_t>(left + 104), static_cast<int16_t>(top + 20)};
}

Str255 ChannelButtonTitle(int16_t channels) {
  return NumText(channels).mid(2) + (channels == 1 ? " Channel" : " Channels");
}

int16_t ChannelButtonState(int16_t channels, int16_t recordingMode, int16_t maximumChans) {
  if (recordingMode == 0) recordingMode = RecordingModeCode::Chart;
  if (channels < 1 || channels > maximumChans) return 0;
  if (channels == 1 || channels >= 6) return recordingMode == RecordingModeCode::Chart ? 1 : 0;
  return recordingMode == RecordingModeCode::Scope ? 0 : 1;
}

bool IsSlowInterface(int16_t externalAD) {
  return externalAD == ExternalADCode::DT500 || externalAD == ExternalADCode::DT50 ||
         externalAD == ExternalADCode::ADC1;
}

ModePicture ModeWindowPicture(int16_t externalAD, int16_t demonstrationMode) {
  switch (externalAD) {
    case ExternalADCode::DT500:
      return {"DT500 B.gif", Rect{20, 7, 142, 100}};
    case ExternalADCode::DT50:
      return {"DT50.gif", Rect{30, 7, 135, 95}};
    case ExternalADCode::ADC1:
      return {"ADC1.gif", Rect{30, 7, 135, 95}};
    default:
      break;
  }
  const char* file = "demo icon.gif";
  switch (externalAD) {
    case ExternalADCode::SableUI2:
      file = "UI2.gif";
      break;
    case ExternalADCode::SableUI3:
      file = "UI3.gif";
      break;
    case ExternalADCode::DT800:
      file = "DT800.gif";
      break;
    case ExternalADCode::DT80:
      file = "DT80.gif";
      break;
    case ExternalADCode::DT85:
      file = "DT85.gif";
      break;
    case ExternalADCode::ADAM:
      file = "ADAM image.gif";
      break;
    default:
      break;
  }
  if (demonstrationMode) return {file, Rect{40, 5, 102, 67}};
  if (externalAD >= ExternalADCode::DT800 && externalAD <= ExternalADCode::DT85)
    return {file, Rect{30, 0, 130, 70}};
  return {file, Rect{60, 2, 130, 70}};
}

bool TypedKeySelects(int16_t okButtonState) {
  return okButtonState != 0;
}

// ---- the window ----------------------------------------------------------------------------------

void ChannelSelectButtons(int16_t count) {
  int16_t first = 0, last = -1;
  if (count >= 16) {
    first = 1;
    last = 16;
  } else if (count == 5) {
    first = 2;
    last = 5;
  }
  for (int16_t n = first; n <= last && n >= 1; ++n)
    rt::NewControl(static_cast<int16_t>(ModeControl::FirstChannel - 1 + n), rt::ControlType::PushButton,
                   ChannelButtonTitle(n), ChannelButtonRect(n), 1);
}

void FixRMchans() {
  for (int16_t n = 1; n <= 16; ++n) {
    const auto button = static_cast<int16_t>(ModeControl::FirstChannel - 1 + n);
    if (!rt::ControlExists(button)) continue;
    int16_t state = ChannelButtonState(n, RecordingMODE, MaximumChans);
    if (state == 1 && n == nChannels) state = 2;
    rt::SetControlState(button, state);
  }
}

void ModeMenuStates() {
  const bool scope = RecordingMODE == RecordingModeCode::Scope;
  const bool timedSaves = TimedBackupsOn();
  if (scope) {
    for (int16_t i : {12, 13, 15}) SetMenuItemState(View, i, 0);
    SetMenuItemState(File, 7, 0);
    SetMenuItemState(AD, 18, 0);
    rt::EnableMenuItem(DA, 0, false);
  } else {
    SetMenuItemState(File, 7, timedSaves ? 2 : 1);
    rt::EnableMenuItem(DA, 0, true);
    SetMenuItemState(AD, 18, 1);
    SetMenuItemState(View, 12, 1);
    SetMenuItemState(View, 15, ChartIntervalInSeconds >= kSlopeTrendShortestInterval ? 1 : 0);
    SetMenuItemState(View, 13, PrefsArray[PrefsSlot::ShowSwitchStatus] ? 2 : 1);
  }
  rt::DrawMenuBar();
}

void SelectRecordingModeTabWindow() {
  if (External_AD == ExternalADCode::SerialStream) {
    RecordingMODE = 0;
    commands::StreamingSerialChannels();
    ModeMenuStates();
    return;
  }
  wsst();
  nChannels = 0;
  RecordingMODE = 0;
  BuildModeWindow();
  InstallDialogHandlers(DoMENU);
  Action = 0;
  EventID = 0;
  item = 0;
  for (;;) {
    rt::BringWindowForward(kModeWindow);
    int16_t choice = 0;
    while (choice == 0) choice = NextChoice();
    PrefsArray[PrefsSlot::SetupKnownAtStart] = 0;
    NoSetupFileFound = 0;
    if (choice >= ModeControl::FirstChannel && choice <= ModeControl::LastChannel) {
      ChooseChannels(choice);
    } else if (choice == ModeControl::Help) {
      rt::FlushEvents();
      DoHelpWindow(kModeHelpTopic);
      rt::BringWindowForward(kModeWindow);
      rt::SetMenuHandler(DoMENU);
    } else if (choice == ModeControl::SetupFile) {
      if (GETSETUP(0)) {
        PrefsArray[PrefsSlot::SetupKnownAtStart] = 1;
      } else {
        downVipSOUND();
        rt::SetOutputWindow(kModeWindow);
        FixRMchans();
      }
    } else if (choice == ModeControl::Tabs) {
      rt::SetOutputWindow(kModeWindow);
      ShowTab(static_cast<int16_t>(rt::ControlValue(ModeControl::Tabs)));
    }
    rt::SetOutputWindow(kModeWindow);
    if (RecordingMODE == RecordingModeCode::ScopeChart && rt::ControlExists(ModeControl::FirstChannel))
      rt::SetControlState(ModeControl::FirstChannel, 0);
    SetOKButton();
    if (choice == ModeControl::SelectionOK || PrefsArray[PrefsSlot::SetupKnownAtStart] == 1) break;
  }
  rt::CloseWindow(kModeWindow);
  rt::CloseWindow(kHelpWindow);
  ModeMenuStates();
}

}  // namespace mv
