// The channel labels window (window 33) as its loop.
#include "conversions/channel_labels_window.h"

#include <algorithm>

#include "conversions/conversions_window.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

Str255 ChannelLabelLine(int16_t channel) {
  return NumText(channel) + ":  " + StoredChannelLabel(channel);
}

namespace {

constexpr int16_t kWindow = kChannelLabelsWindow;
constexpr RGBColor kBlack{0, 0, 0};
// Eight lines 12 pixels apart: the last one's descenders end above the divider.
constexpr int16_t kFirstLine = 16, kLineStep = 12, kColumnWidth = 212;
constexpr double kDividerY = 104.5;

void BuildChannelLabels() {
  BuildWINDOW(kWindow, " Channel Labels ", 180, 160, 610, 290, 6);
  BUILDBOX(4, 4, 426, 126);
  rt::StrokeStyle divider;
  divider.red = divider.green = divider.blue = 0.45;
  divider.antialias = false;
  rt::StrokeLine(215.5, 5, 215.5, kDividerY, divider);
  rt::StrokeLine(5, kDividerY, 425, kDividerY, divider);
  const rt::FontSpec font = KitFont(KestraneFont, 10);
  const int16_t last = std::clamp<int16_t>(nChannels, 0, 16);
  for (int16_t ch = 1; ch <= last; ++ch) {
    const int column = ch > 8 ? 1 : 0;
    const int line = (ch - 1) % 8;
    rt::DrawText(10 + kColumnWidth * column, kFirstLine + kLineStep * line, ChannelLabelLine(ch), font,
                 kBlack);
  }
  rt::NewControl(kChannelLabelsClose, rt::ControlType::DefaultButton, "Close   (or hit 'return' key )",
                 Rect{110, 106, 320, 125}, 1);
  Action = 0;
  EventID = 0;
  InstallDialogHandlers();
  rt::FlushWindow();
}

}  // namespace

void ChannelLabelsWindow() {
  const HandlerScope callersHandlers;
  BuildChannelLabels();
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kWindow)) break;
    const int16_t action = Action;
    const int32_t item = EventID;
    Action = 0;
    EventID = 0;
    if (action == ActionCode::Click || action == ActionCode::CloseBox) break;
    if (action == ActionCode::Key && (item == 13 || item == 3)) break;
  }
  if (rt::WindowExists(kWindow)) rt::CloseWindow(kWindow);
  Action = 0;
  EventID = 0;
}

}  // namespace mv
