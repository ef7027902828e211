#include "setup/delete_channels.h"

#include <algorithm>

#include "conversions/needs.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_moves.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kCancelButton = 22, kProceedButton = 23;
constexpr int16_t kSetupWindow = 4;
constexpr int16_t kADMenu = 4, kCutChannelsItem = 20;
constexpr int16_t kWidth = 525, kRowHeight = 23, kFirstRowTop = 79;
constexpr RGBColor kBlackText{0, 0, 0};

enum class Answer { Waiting, Proceed, Cancel };

int16_t WindowHeight(int16_t n) {
  return static_cast<int16_t>(std::max(425, kFirstRowTop + kRowHeight * n + 30));
}

Str255 CheckBoxTitle(int16_t channel) {
  return Str255("Channel") + NumText(channel) + ": " + ChannelLabelField(channel);
}

void DrawChannelRows(int16_t n) {
  BuildGrayBox(18, 76, 372, static_cast<int16_t>(kFirstRowTop + kRowHeight * n + 3), 0);
  const bool scopeFixed = RecordingMODE == RecordingModeCode::ScopeChart;
  for (int16_t k = 1; k <= n; ++k) {
    const int16_t top = static_cast<int16_t>(kFirstRowTop + kRowHeight * (k - 1));
    chancut[k] = 0;
    const int16_t state = (scopeFixed && k == 1) ? 0 : 1;
    rt::NewControl(k, rt::ControlType::CheckBox, CheckBoxTitle(k),
                   Rect{24, static_cast<int16_t>(top + 2), 366, static_cast<int16_t>(top + 21)}, state);
    if (k < n) DoubleLINE(20, 370, static_cast<int16_t>(top + kRowHeight));
  }
}

void BuildDeleteWindow(int16_t n) {
  const int16_t height = WindowHeight(n);
  BuildWINDOW(kChannelListWindow, "Delete Channel(s)", 60, 40, static_cast<int16_t>(60 + kWidth),
              static_cast<int16_t>(40 + height), 6);
  WARNINGSTRIPES(6);
  EmbossPrint(1, "Cut channels", 24, 22, 42);
  rt::DrawText(22, 66, "Select channel(s) to delete, then click 'Proceed'", KitFont(KestraneFont, 13),
               kBlackText);
  DrawChannelRows(n);

  DrawIcon(138, 384, 116);
  rt::DrawText(422, 104, "Caution...", rt::FontSpec{kSystemFontFamily, 14, true}, kBlackText);
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "big skull.gif"), 402, 132, 498, 228);
  rt::DrawText(404, 256, "can't undo", rt::FontSpec{kSystemFontFamily, 16, true}, RGBred);
  rt::NewControl(kProceedButton, rt::ControlType::DefaultButton, "Proceed",
                 Rect{395, static_cast<int16_t>(height - 88), 505, static_cast<int16_t>(height - 62)}, 1);
  rt::NewControl(kCancelButton, rt::ControlType::PushButton, "Cancel",
                 Rect{395, static_cast<int16_t>(height - 52), 505, static_cast<int16_t>(height - 26)}, 1);
  rt::FlushWindow();
}

void ToggleMark(int16_t channel) {
  if (rt::ControlState(channel) == 0) return;
  chancut[channel] = chancut[channel] != 0 ? 0 : 1;
  rt::SetControlState(channel, chancut[channel] != 0 ? 2 : 1);
  rt::BringWindowForward(kChannelListWindow);
}

// Proceed is refused (with the buzz) when it would leave no deletable channel.
Answer TryProceed(int16_t n) {
  if (DeletionRefused(chancut, n, RecordingMODE)) {
    zap();
    return Answer::Waiting;
  }
  return Answer::Proceed;
}

Answer HandleEvent(int16_t n) {
  switch (Action) {
    case ActionCode::Click:
      if (EventID >= 1 && EventID <= n) ToggleMark(static_cast<int16_t>(EventID));
      if (EventID == kCancelButton) return Answer::Cancel;
      if (EventID == kProceedButton) return TryProceed(n);
      return Answer::Waiting;
    case ActionCode::CloseBox:
      return EventID == kChannelListWindow ? Answer::Cancel : Answer::Waiting;
    case ActionCode::Key:
      // Return or Enter is Proceed, with its check.
      return (EventID == 13 || EventID == 3) ? TryProceed(n) : Answer::Waiting;
    default:
      // A window merely activated or deactivated is no answer.
      return Answer::Waiting;
  }
}

Answer RunLoop(int16_t n) {
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kChannelListWindow)) return Answer::Cancel;
    const Answer answer = HandleEvent(n);
    Action = 0;
    EventID = 0;
    if (answer != Answer::Waiting) return answer;
  }
}

void FinishDeletion(int16_t oldCount) {
  bool anyMarked = false;
  for (int c = 1; c <= oldCount; ++c) anyMarked = anyMarked || chancut[c] != 0;
  if (anyMarked && Sound_Is_On != 0) PlaySound("rip.mp3", "MVsounds");
  DeleteMarkedChannels(chancut);
  rt::CloseWindow(kChannelListWindow);
  AdjustSwitchingAfterDeletion();
  Action = 0;
  item = 0;
  const int16_t lastOnes = RecordingMODE == RecordingModeCode::ScopeChart ? 2 : 1;
  if (RecordingMODE != RecordingModeCode::Scope && nChannels <= lastOnes)
    rt::EnableMenuItem(kADMenu, kCutChannelsItem, false);
  services::SetUpMENUs(1);
  if (External_AD >= ExternalADCode::DT500 && External_AD <= ExternalADCode::DT85)
    setup_hooks::DATATAKERSTATUS();
}

}  // namespace

bool CutCHANNELS() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  const int16_t n = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  BuildDeleteWindow(n);
  zap();
  const Answer answer = RunLoop(n);
  if (answer == Answer::Proceed) {
    FinishDeletion(n);
    return true;
  }
  rt::CloseWindow(kChannelListWindow);
  if (rt::WindowExists(kSetupWindow)) rt::BringWindowForward(kSetupWindow);
  Action = 0;
  EventID = 0;
  services::SetUpMENUs(1);
  return false;
}

}  // namespace mv
