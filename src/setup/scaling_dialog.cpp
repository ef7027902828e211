// The display scaling dialog (window 111): a channel's visible maximum and
// minimum, and the preset range of the scope channel.
#include "acquisition/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kWindow = kScalingWindow;
constexpr int16_t kOK = 1, kHelp = 2, kMaxField = 101, kMinField = 102;
constexpr int16_t kHelpTopic = 133;
constexpr std::size_t kRangeTextLimit = 22;
constexpr RGBColor kBlack{0, 0, 0};

void ChannelMenuHandler(int16_t menu, int16_t menuItem) {
  setup_hooks::DoMENU(menu, menuItem);
}

Str255 RangeText(float v) {
  return NumText(v).mid(1, kRangeTextLimit);
}

// A small y axis with its top and bottom marks and a trace between them.
void DrawAxisFigure() {
  PlotCGrgb(1, 40, 74, 40, 196, PlotFrameColor);
  PlotCGrgb(1, 34, 80, 46, 80, PlotFrameColor);
  PlotCGrgb(1, 34, 190, 46, 190, PlotFrameColor);
  PlotCGrgb(1, 40, 196, 170, 196, PlotFrameColor);
  const int16_t trace[][2] = {{42, 150}, {62, 120}, {82, 160}, {102, 96}, {122, 140}, {142, 118}, {166, 130}};
  for (std::size_t k = 1; k < std::size(trace); ++k)
    PlotCGrgb(1, trace[k - 1][0], trace[k - 1][1], trace[k][0], trace[k][1], PlotFrameColor);
}

void BuildScalingWindow(const Str255& title, const Str255& heading) {
  BuildWINDOW(kWindow, title, 140, 160, 520, 425, 6);
  EmbossPrint(1, heading, 16, 10, 26);
  DrawAxisFigure();
  const rt::FontSpec font = KitFont(KestraneFont, 13);
  rt::DrawText(56, 76, "Maximum visible Y", font, kBlack);
  rt::DrawText(56, 186, "Minimum visible Y", font, kBlack);
  BUILDEF(kMaxField, maxYstring, 200, 62, 340, 84, 3, 2);
  BUILDEF(kMinField, minyString, 200, 172, 340, 194, 3, 2);
  rt::NewControl(kHelp, rt::ControlType::PushButton, "?", Rect{200, 226, 230, 250}, 1);
  rt::NewControl(kOK, rt::ControlType::DefaultButton, "Selection OK", Rect{250, 224, 366, 250}, 1);
  rt::FocusEditField(kMaxField);
  rt::FlushWindow();
}

void RunScalingLoop() {
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(ChannelMenuHandler);
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kWindow)) return;
    bool done = false;
    switch (Action) {
      case ActionCode::Click:
        if (EventID == kHelp) {
          DoHelpWindow(kHelpTopic);
          rt::BringWindowForward(kWindow);
          rt::SetOutputWindow(kWindow);
        }
        done = EventID == kOK;
        break;
      case ActionCode::WindowActivity:
        rt::BringWindowForward(kWindow);
        rt::SetOutputWindow(kWindow);
        break;
      case ActionCode::CloseBox:
        if (EventID == kWindow) {
          rt::BringWindowForward(kWindow);
          rt::SetOutputWindow(kWindow);
          done = true;
        }
        break;
      case ActionCode::Key:
        done = EventID == 0 || EventID == 13 || EventID == 3;
        break;
      default:
        break;
    }
    Action = 0;
    EventID = 0;
    if (done) return;
  }
}

}  // namespace

void ScopeChannelRange(float vmax, int16_t scopeScale, float& minimum, float& maximum) {
  maximum = scopeScale == 2 ? 0.0f : vmax;
  minimum = scopeScale == 1 ? 0.0f : -vmax;
}

bool SCALE(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return false;
  const Str255 heading = Str255("  ") + ChannelLabel(channel);
  Str255 title = Str255("Channel") + NumText(channel) + ":  Display Scaling";
  const bool scopeChannel = RecordingMODE == RecordingModeCode::Scope ||
                            (RecordingMODE == RecordingModeCode::ScopeChart && channel == 1);
  if (scopeChannel) {
    title = "OSCILLOSCOPE CHANNEL";
    ScopeChannelRange(Vmax, ScopeScale, miny, maxy);
  }
  const bool scopeOnUI2 = RecordingMODE >= RecordingModeCode::Scope && channel == 1;
  // Only the UI2's scope channel has a range the user may choose.
  if (scopeOnUI2 && External_AD != ExternalADCode::SableUI2) return true;

  minyString = RangeText(miny);
  maxYstring = scopeOnUI2 ? RangeText(Vmax) : RangeText(maxy);
  miny = static_cast<float>(TextToNumber(minyString));
  maxy = static_cast<float>(TextToNumber(maxYstring));

  const int16_t oldFore = EFForeColor, oldBack = EFBackColor;
  EFForeColor = 0;
  EFBackColor = 6;
  BuildScalingWindow(title, heading);
  EFForeColor = oldFore;
  EFBackColor = oldBack;
  if (PrefsArray[PrefsSlot::AlwaysShowHelpData] != 0) {
    DoHelpWindow(kHelpTopic);
    rt::BringWindowForward(kWindow);
    rt::SetOutputWindow(kWindow);
  }
  RunScalingLoop();
  if (rt::WindowExists(kWindow)) {
    maxy = static_cast<float>(TextToNumber(rt::EditText(kMaxField)));
    miny = static_cast<float>(TextToNumber(rt::EditText(kMinField)));
    rt::CloseWindow(kWindow);
  }
  return true;
}

}  // namespace mv
