#include "setup/rearrange_channels.h"

#include <algorithm>
#include <cstdint>

#include "conversions/needs.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/channel_moves.h"
#include "setup/delete_channels.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kArrangeAgainButton = 28, kCancelButton = 29, kApplyButton = 30;
constexpr int16_t kOriginalField = 100, kNewOrderField = 124, kFixedScopeField = 25;
constexpr int16_t kRowHeight = 16, kFirstRowTop = 44;
constexpr int16_t kWidth = 575;
constexpr RGBColor kBlackText{0, 0, 0};

enum class Answer { Waiting, Apply, Cancel };

struct Arrangement {
  int16_t channels = 0;  // the channel count when the window opened
  int16_t assigned = 0;  // positions taken so far
};

int16_t RowTop(int16_t row) {
  return static_cast<int16_t>(kFirstRowTop + kRowHeight * (row - 1));
}

int16_t WindowHeight(int16_t rows) {
  return static_cast<int16_t>(std::max(345, kFirstRowTop + kRowHeight * rows + 80));
}

void ShowInNewOrder(int16_t field, int16_t channel, int16_t row) {
  const int16_t top = RowTop(row);
  EFForeColor = 1;
  EFBackColor = 8;
  BUILDEF(field, ChannelLabelField(channel), 330, top, 560, static_cast<int16_t>(top + 15), 5, 1);
  EFBackColor = 1;
}

// Every channel's button offered again, but for the scope channel that keeps position 1
// in scope-plus-chart mode.
void EnableNextButtons(const Arrangement& a) {
  for (int16_t k = 1; k <= a.channels; ++k) {
    const bool fixed = RecordingMODE == RecordingModeCode::ScopeChart && k == 1;
    rt::SetControlState(k, fixed ? 0 : 1);
  }
}

// Back to where the window starts: every channel in its own place, and in
// scope-plus-chart mode position 1 taken by the scope channel.
void StartOrder(Arrangement& a) {
  for (int16_t p = 1; p <= 16; ++p) NewChannelOrder[p] = p <= a.channels ? p : 0;
  a.assigned = 0;
  if (RecordingMODE == RecordingModeCode::ScopeChart && a.channels >= 1) {
    NewChannelOrder[1] = 1;
    ShowInNewOrder(kFixedScopeField, 1, 1);
    a.assigned = 1;
  }
}

void DrawColumns(const Arrangement& a, int16_t rows) {
  const rt::FontSpec heading{kSystemFontFamily, 15, true};
  const rt::FontSpec small = KitFont(KestraneFont, 11);
  rt::DrawText(30, 34, "Original order", heading, kBlackText);
  rt::DrawText(330, 34, "New order", heading, kBlackText);
  EFForeColor = 1;
  EFBackColor = 6;
  for (int16_t k = 1; k <= a.channels; ++k) {
    const int16_t top = RowTop(k);
    rt::DrawText(6, top + 12, NumText(k).str().substr(1) + ":", small, kBlackText);
    BUILDEF(static_cast<int16_t>(kOriginalField + k), ChannelLabelField(k), 30, top, 225,
            static_cast<int16_t>(top + 15), 5, 1);
    rt::NewControl(k, rt::ControlType::PushButton, "next...",
                   Rect{232, top, 296, static_cast<int16_t>(top + 15)}, 1);
  }
  EFBackColor = 1;
  for (int16_t p = 1; p <= rows; ++p)
    rt::DrawText(306, RowTop(p) + 12, NumText(p).str().substr(1) + ".", small, mediumDarkGray);
}

void BuildRearrangeWindow(Arrangement& a) {
  const int16_t height = WindowHeight(a.channels);
  BuildWINDOW(kChannelListWindow, "Re-arrange Channels", 40, 50, static_cast<int16_t>(40 + kWidth),
              static_cast<int16_t>(50 + height), 6);
  DrawColumns(a, a.channels);
  const int16_t base = static_cast<int16_t>(height - 50);
  rt::DrawText(30, base - 12, "Channels you do not place follow the placed ones in their old order.",
               KitFont(KestraneFont, 11), kBlackText);
  DrawIcon(138, 14, static_cast<int16_t>(base + 38));
  rt::DrawText(54, base + 18, "Caution:", rt::FontSpec{kSystemFontFamily, 14, true}, kBlackText);
  rt::DrawText(54, base + 35, "Undo not possible", KitFont(KestraneFont, 13), RGBred);
  DrawIcon(140, 180, static_cast<int16_t>(base + 37));
  rt::NewControl(kArrangeAgainButton, rt::ControlType::PushButton, "Arrange Again",
                 Rect{236, static_cast<int16_t>(base + 12), 346, static_cast<int16_t>(base + 38)}, 1);
  rt::NewControl(kCancelButton, rt::ControlType::PushButton, "Cancel",
                 Rect{354, static_cast<int16_t>(base + 12), 424, static_cast<int16_t>(base + 38)}, 1);
  rt::NewControl(kApplyButton, rt::ControlType::DefaultButton, "Re-arrangement OK",
                 Rect{432, static_cast<int16_t>(base + 12), 565, static_cast<int16_t>(base + 38)}, 0);
  StartOrder(a);
  EnableNextButtons(a);
  rt::FlushWindow();
}

// A channel takes one position only: once placed, its button is dimmed until
// "Arrange Again".
void NextClicked(Arrangement& a, int16_t channel) {
  if (a.assigned >= a.channels || rt::ControlState(channel) == 0) return;
  ++a.assigned;
  rt::SetControlState(kApplyButton, 1);
  rt::SetControlState(channel, 0);
  NewChannelOrder[a.assigned] = channel;
  ShowInNewOrder(static_cast<int16_t>(kNewOrderField + channel), channel, a.assigned);
}

void ArrangeAgain(Arrangement& a) {
  ripSound();
  rt::SetControlState(kApplyButton, 0);
  for (int16_t k = 1; k <= 16; ++k)
    if (rt::EditFieldExists(static_cast<int16_t>(kNewOrderField + k)))
      rt::DisposeEditField(static_cast<int16_t>(kNewOrderField + k));
  if (rt::EditFieldExists(kFixedScopeField)) rt::DisposeEditField(kFixedScopeField);
  EnableNextButtons(a);
  StartOrder(a);
}

Answer HandleEvent(Arrangement& a) {
  switch (Action) {
    case ActionCode::Click:
      if (EventID >= 1 && EventID <= a.channels) NextClicked(a, static_cast<int16_t>(EventID));
      if (EventID == kCancelButton) return Answer::Cancel;
      if (EventID == kArrangeAgainButton) ArrangeAgain(a);
      if (EventID == kApplyButton && a.assigned >= 1) return Answer::Apply;
      return Answer::Waiting;
    case ActionCode::WindowActivity:
    case ActionCode::CloseBox:
      return Answer::Cancel;
    case ActionCode::Key:
      return (EventID == 13 || EventID == 3) ? Answer::Cancel : Answer::Waiting;
    default:
      return Answer::Waiting;
  }
}

Answer RunLoop(Arrangement& a) {
  Action = 0;
  EventID = 0;
  rt::SetDialogHandler(doDIALOG);
  rt::SetEditKeyHandler(CheckRETURN);
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kChannelListWindow)) return Answer::Cancel;
    const Answer answer = HandleEvent(a);
    Action = 0;
    EventID = 0;
    if (answer != Answer::Waiting) return answer;
  }
}

}  // namespace

bool REARRANGE() {
  const HandlerScope callersHandlers;
  Arrangement a;
  a.channels = static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
  // The menus stay off while the order is being built, so no menu command changes
  // the channel list underneath it.
  services::SetUpMENUs(0);
  BuildRearrangeWindow(a);
  zap();
  const Answer answer = RunLoop(a);
  bool applied = false;
  if (answer == Answer::Apply) applied = ReorderChannels(NewChannelOrder, a.assigned).applied;
  rt::CloseWindow(kChannelListWindow);
  Action = 0;
  item = 0;
  services::SetUpMENUs(1);
  return applied;
}

}  // namespace mv
