// The averaging dialog (window 8): readings averaged per chart sample and the two
// continuous-averaging modes, kept in line with the Sample Averaging menu.
#include <cmath>
#include <optional>
#include <string>

#include "kit/builders.h"
#include "kit/channel_values.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/refusal_line.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kWindow = kAveragingWindow;
constexpr int16_t kOK = 1, kLastChannelBox = 2, kAbsoluteBox = 3, kAllChannelsBox = 4, kHelp = 5;
constexpr int16_t kField = 101, kRefusalField = 102;
constexpr int16_t kHelpTopic = 134;
constexpr int16_t kSampleAveragingMenu = 110;
constexpr const char* kContinuous = "continuous";
constexpr RGBColor kBlack{0, 0, 0};

void ChannelMenuHandler(int16_t menu, int16_t menuItem) {
  setup_hooks::DoMENU(menu, menuItem);
}

bool On(int slot) {
  return PrefsArray[slot] != 0;
}

void SetState(int16_t control, int16_t state) {
  if (rt::ControlExists(control)) rt::SetControlState(control, state);
}

// Continuous averaging of the last channel concerns only the last channel: for the
// channels before it the field keeps a count.
bool LastChannelContinuous(bool lastChannel) {
  return lastChannel && On(PrefsSlot::AverageLastChannel);
}

// Box 3 is dimmed unless the last channel is averaged continuously.
void ShowLastChannelBoxes() {
  const bool last = On(PrefsSlot::AverageLastChannel);
  SetState(kLastChannelBox, last ? 2 : 1);
  SetState(kAbsoluteBox, last ? (AbsoluteValue != 0 ? 2 : 1) : 0);
}

void BuildAveragingWindow(int16_t channel, bool lastChannelBoxes) {
  BuildWINDOW(kWindow, Str255("CHANNEL") + NumText(channel), 150, 120, 580, 333, 262);
  EmbossPrint(1, "Averaging", 22, 14, 32);
  const rt::FontSpec small = KitFont(KestraneFont, 12);
  rt::DrawText(140, 22, "The number of readings averaged per sample", small, kBlack);
  rt::DrawText(140, 38, "(initial value is estimated MAXIMUM possible)", small, kBlack);
  DoubleLINE(10, 420, 48);
  DoubleLINE(10, 420, 52);
  rt::DrawText(14, 88, "Readings averaged:", KitFont(KestraneFont, 14), kBlack);
  const int16_t oldFore = EFForeColor, oldBack = EFBackColor;
  EFForeColor = 0;
  EFBackColor = 6;
  BUILDEF(kField, LastChannelContinuous(lastChannelBoxes) ? Str255(kContinuous) : NumText(MaxAvrg), 160, 64, 330,
          98, 3, 2);
  EFForeColor = oldFore;
  EFBackColor = oldBack;
  rt::SetEditFont(kField, KitFont(KestraneFont, 24));

  rt::NewControl(kAllChannelsBox, rt::ControlType::CheckBox, "Continous Averaging", Rect{14, 116, 200, 134}, 1);
  rt::DrawText(34, 148, "(all channels)", small, kBlack);
  if (lastChannelBoxes) {
    rt::NewControl(kLastChannelBox, rt::ControlType::CheckBox, "Continuous Averaging", Rect{220, 116, 420, 134}, 1);
    rt::DrawText(240, 148, "(last channel only)", small, kBlack);
    rt::NewControl(kAbsoluteBox, rt::ControlType::CheckBox, "Absolute value", Rect{240, 154, 400, 172}, 0);
    ShowLastChannelBoxes();
  }
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", Rect{220, 180, 250, 204}, 1);
  rt::NewControl(kOK, rt::ControlType::DefaultButton, "Selection OK", Rect{300, 178, 418, 204}, 1);
  rt::FocusEditField(kField);
  rt::FlushWindow();
}

// The Sample Averaging menu and the field follow the two continuous modes. With
// both off, a field still reading "continuous" gets the limit back, so the window
// never shows a mode the user does not get.
void SyncAveragingMenu(bool lastChannel) {
  const bool all = On(PrefsSlot::AverageAllChannels), last = On(PrefsSlot::AverageLastChannel);
  if (all || LastChannelContinuous(lastChannel)) {
    rt::SetEditText(kField, kContinuous);
  } else if (Str255(rt::EditText(kField)) == kContinuous) {
    rt::SetEditText(kField, NumText(MaxAvrg));
  }
  rt::CheckMenuItem(kSampleAveragingMenu, 1, !all && !last);
  rt::CheckMenuItem(kSampleAveragingMenu, 2, last && !all);
  rt::CheckMenuItem(kSampleAveragingMenu, 3, all);
}

void HandleItem(int16_t id, bool lastChannel) {
  switch (id) {
    case kLastChannelBox:
      TogglePrefs(PrefsSlot::AverageLastChannel);
      PrefsArray[PrefsSlot::AverageAllChannels] = 0;
      SetState(kAllChannelsBox, 1);
      if (!On(PrefsSlot::AverageLastChannel)) AbsoluteValue = 0;
      ShowLastChannelBoxes();
      break;
    case kAbsoluteBox:
      AbsoluteValue = AbsoluteValue != 0 ? 0 : 1;
      ShowLastChannelBoxes();
      break;
    case kAllChannelsBox:
      TogglePrefs(PrefsSlot::AverageAllChannels);
      PrefsArray[PrefsSlot::AverageLastChannel] = 0;
      AbsoluteValue = 0;
      ShowLastChannelBoxes();
      SetState(kLastChannelBox, 1);
      SetState(kAllChannelsBox, On(PrefsSlot::AverageAllChannels) ? 2 : 1);
      break;
    case kHelp:
      DoHelpWindow(kHelpTopic);
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
      break;
    default:
      return;
  }
  SyncAveragingMenu(lastChannel);
}

// A count the sample takers cannot average keeps the window open, with a line that says
// why and the count selected.
bool CountRefused(bool lastChannel) {
  const std::string text = rt::EditText(kField);
  const double count = std::trunc(TextToNumber(text));
  const auto why =
      LastChannelContinuous(lastChannel) || !(count >= 1) ? std::nullopt : ReadingsAveragedProblem(count);
  if (!why) {
    ClearRefusalLine(kRefusalField);
    return false;
  }
  zap();
  ShowRefusalLine(kRefusalField, Rect{14, 174, 214, 210}, "\"" + text + "\": " + *why + ".");
  rt::FocusEditField(kField);
  rt::SelectEditText(kField, 0, -1);
  return true;
}

void RunAveragingLoop(bool lastChannel) {
  Action = 0;
  EventID = 0;
  MENUID = 0;
  InstallDialogHandlers(ChannelMenuHandler);
  for (;;) {
    rt::PumpEvents();
    // A menu command may have opened another window on the way.
    rt::SetMenuHandler(ChannelMenuHandler);
    if (!rt::WindowExists(kWindow)) return;
    rt::SetOutputWindow(kWindow);
    bool confirmed = false;
    if (Action == ActionCode::Key) confirmed = EventID == 0 || EventID == 13 || EventID == 3;
    if (Action == ActionCode::Click) {
      confirmed = EventID == kOK;
      HandleItem(static_cast<int16_t>(EventID), lastChannel);
    }
    Action = 0;
    EventID = 0;
    if (MENUID == 255 || (confirmed && !CountRefused(lastChannel))) return;
  }
}

}  // namespace

std::optional<int32_t> AveragedReadings(const Str255& fieldText) {
  const double v = std::trunc(TextToNumber(fieldText));
  if (!(v >= 1.0)) return 1;
  if (ReadingsAveragedProblem(v)) return std::nullopt;
  return static_cast<int32_t>(v);
}

bool AVERAGING(int16_t channel) {
  const HandlerScope callersHandlers;
  LastChanModified = channel;
  if (RecordingMODE != RecordingModeCode::Chart || On(PrefsSlot::AverageAllChannels)) return false;
  const bool lastChannel = channel == nChannels;
  BuildAveragingWindow(channel, lastChannel);
  if (On(PrefsSlot::AlwaysShowHelpData)) {
    DoHelpWindow(kHelpTopic);
    rt::BringWindowForward(kWindow);
    rt::SetOutputWindow(kWindow);
  }
  RunAveragingLoop(lastChannel);
  if (rt::WindowExists(kWindow)) {
    const Str255 text = rt::EditText(kField);
    // Left by a menu command with a count it cannot average, the channel keeps the estimate.
    SamplesToAverage = LastChannelContinuous(lastChannel) ? 0 : AveragedReadings(text).value_or(MaxAvrg);
    rt::CloseWindow(kWindow);
  } else {
    SamplesToAverage = LastChannelContinuous(lastChannel) ? 0 : MaxAvrg;
  }
  Action = ActionCode::Redraw;
  return true;
}

}  // namespace mv
