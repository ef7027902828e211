#include "setup/xy_plot_dialog.h"

#include <algorithm>
#include <cmath>

#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "acquisition/xy_plot.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t kADMenu = 4, kXYPlotItem = 23;
constexpr int16_t kHelpTopic = 157;
constexpr int16_t kStatusWindow = 250;
constexpr int16_t kWidth = 505, kHeight = 437, kFirstRowTop = 90, kRowHeight = 20;
constexpr int16_t kNoteHeight = 40;  // below the buttons: the note on the plot's room
constexpr RGBColor kNoteRed{52428, 0, 0};

int16_t Channels() {
  return static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
}

void SelectColumn(int16_t base, int16_t chosen) {
  for (int16_t n = 1; n <= Channels(); ++n)
    rt::SetControlState(static_cast<int16_t>(base + n), n == chosen ? 2 : 1);
}

// An axis never chosen (0, as at start-up) or beyond the channels would have the
// recording plot a row that is no channel: the dialog opens on channels 1 and 2
// instead (1 for both with a single channel).
void DefaultInvalidAxes() {
  const int16_t n = Channels();
  if (n < 1) return;
  const auto valid = [n](float v) { return std::trunc(v) >= 1.0f && std::trunc(v) <= n; };
  if (!valid(XYaxisChannelX)) XYaxisChannelX = 1.0f;
  if (!valid(XYaxisChannelY)) XYaxisChannelY = n >= 2 ? 2.0f : 1.0f;
}

// The plot stands beside the chart: while the box asks for a plot that this screen has
// no room for, the dialog says so and names the room it needs, so that no recording
// starts without the plot and without a word.
void ShowRoomNote() {
  const std::string why = ShowXYPlot != 0
                              ? XYPlotNoRoomText(LayoutScreenWidth(), PrefsArray[PrefsSlot::WindowWidth])
                              : std::string();
  if (why.empty()) {
    if (rt::EditFieldExists(kXYNoRoomField)) rt::DisposeEditField(kXYNoRoomField);
    return;
  }
  if (!rt::EditFieldExists(kXYNoRoomField)) {
    BUILDEF(kXYNoRoomField, Str255(why), 20, kHeight - 6, kWidth - 10, kHeight + kNoteHeight - 4, 7, 1);
    rt::SetEditColors(kXYNoRoomField, kNoteRed, kThemeBackground);
  } else {
    rt::SetEditText(kXYNoRoomField, why);
  }
}

void BuildDialog() {
  scream();
  DefaultInvalidAxes();
  BuildWINDOW(kXYDialogWindow, "2 Channel X-Y Plot", 80, 60, 80 + kWidth, 60 + kHeight + kNoteHeight, 6);
  EmbossPrint(1, "Show relationship of 2 channels", 20, 20, 32);
  DoubleLINE(10, kWidth - 10, 42);
  EmbossPrint(1, "X-axis channel", 14, 20, 80);
  EmbossPrint(1, "Y-axis channel", 14, 262, 80);
  for (int16_t n = 1; n <= Channels(); ++n) {
    const int16_t top = static_cast<int16_t>(kFirstRowTop + kRowHeight * (n - 1));
    const Str255 title = NumText(n) + ":  " + ChannelLabelField(n);
    rt::NewControl(n, rt::ControlType::RadioButton, title, Rect{20, top, 245, static_cast<int16_t>(top + 18)},
                   1);
    rt::NewControl(static_cast<int16_t>(kXYYRadioBase + n), rt::ControlType::RadioButton, title,
                   Rect{262, top, 490, static_cast<int16_t>(top + 18)}, 1);
  }
  DoubleLINE(10, kWidth - 10, kHeight - 50);
  rt::NewControl(kXYShowBox, rt::ControlType::CheckBox, "Show an X-Y Plot?",
                 Rect{20, kHeight - 36, 220, kHeight - 16}, ShowXYPlot ? 2 : 1);
  rt::NewControl(kXYHelpButton, rt::ControlType::PushButton, "?", Rect{300, kHeight - 38, 328, kHeight - 14},
                 1);
  rt::NewControl(kXYDoneButton, rt::ControlType::DefaultButton, "Done",
                 Rect{390, kHeight - 38, 490, kHeight - 14}, 1);
  // Only a stored channel that exists has a button to select.
  const auto stored = [](float v) { return static_cast<int16_t>(std::clamp(std::trunc(v), -1.0f, 17.0f)); };
  const int16_t x = stored(XYaxisChannelX), y = stored(XYaxisChannelY);
  if (x >= 1 && x <= Channels()) rt::SetControlState(x, 2);
  if (y >= 1 && y <= Channels()) rt::SetControlState(static_cast<int16_t>(kXYYRadioBase + y), 2);
  ShowRoomNote();
  rt::FlushWindow();
}

// Acts on one event; true when it ends the dialog.
bool HandleEvent() {
  const int16_t n = Channels();
  switch (Action) {
    case ActionCode::Click:
      if (EventID == kXYShowBox) {
        ShowXYPlot = ShowXYPlot ? 0 : 1;
        rt::SetControlState(kXYShowBox, ShowXYPlot ? 2 : 1);
        ShowRoomNote();
      } else if (EventID >= 1 && EventID <= n) {
        SelectColumn(0, static_cast<int16_t>(EventID));
        XYaxisChannelX = static_cast<float>(EventID);
        rt::SetControlState(static_cast<int16_t>(kXYYRadioBase + EventID), 1);
      } else if (EventID > kXYYRadioBase && EventID <= kXYYRadioBase + n) {
        const int16_t ch = static_cast<int16_t>(EventID - kXYYRadioBase);
        SelectColumn(kXYYRadioBase, ch);
        XYaxisChannelY = static_cast<float>(ch);
        rt::SetControlState(ch, 1);
      } else if (EventID == kXYHelpButton) {
        DoHelpWindow(kHelpTopic);
        rt::BringWindowForward(kXYDialogWindow);
        rt::SetOutputWindow(kXYDialogWindow);
      }
      return EventID == kXYDoneButton;
    case ActionCode::Key:
      return EventID == 13 || EventID == 3;
    case ActionCode::WindowActivity:
      return EventID > 0 && EventID != kStatusWindow && EventID != kXYDialogWindow;
    case ActionCode::CloseBox:
      return EventID == kXYDialogWindow;
    default:
      return false;
  }
}

}  // namespace

int16_t XYPlotSetup() {
  const HandlerScope callersHandlers;
  BuildDialog();
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kXYDialogWindow)) break;
    const bool done = HandleEvent();
    Action = 0;
    EventID = 0;
    if (done) break;
  }
  rt::CloseWindow(kXYDialogWindow);
  WINDOWCLEAR();
  rt::CheckMenuItem(kADMenu, kXYPlotItem, ShowXYPlot != 0);
  Action = ActionCode::Redraw;
  return 0;
}

}  // namespace mv
