#include "setup/display_settings.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/needs.h"
#include "devices/connection.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr RGBColor kBlack{0, 0, 0};

int16_t Channels() {
  return static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
}
void WindowMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

// ---- slope trends ------------------------------------------------------------------------------

constexpr int16_t kSlopeOK = 121, kSlopeClearAll = 122, kSlopeSetAll = 123;
constexpr int kSlopeFirstRow = 70, kSlopeRowHeight = 24;

int16_t ShowSlopeBox(int ch) {
  return static_cast<int16_t>(100 + ch);
}
int16_t PointsField(int ch) {
  return static_cast<int16_t>(16 + ch);
}

Str255 SlopePointsText(int ch) {
  return NumText(SlopeTrendPoints(alarmsArray[ch][AlarmField::SlopeTrendSpan]));
}

void BuildSlopeWindow() {
  const int n = Channels();
  const int buttonsTop = kSlopeFirstRow + kSlopeRowHeight * n + 14;
  BuildWINDOW(kSlopeTrendWindow, "Set Slope Trends Option for Each Channel", 60, 60, 510,
              static_cast<int16_t>(60 + std::max(buttonsTop + 40, 200)), 262);
  EmbossPrint(1, "Slope Indicators", 20, 150, 28);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  rt::DrawText(45, 58, "channel", font, kBlack);
  rt::DrawText(338, 58, "number of points", font, kBlack);
  for (int ch = 1; ch <= n; ++ch) {
    const int y = kSlopeFirstRow + kSlopeRowHeight * (ch - 1);
    const Str255 number = NumText(ch) + ": ";
    rt::DrawText(40 - rt::TextWidth(number.str(), font), y + 15, number.str(), font, kBlack);
    BUILDEF(static_cast<int16_t>(ch), ChannelLabel(static_cast<int16_t>(ch)), 45, y + 3, 275, y + 19, 5, 0);
    BUILDBOX(44, y + 2, 276, y + 20);
    const bool on = alarmsArray[ch][AlarmField::SlopeTrendOn] > 0;
    rt::NewControl(ShowSlopeBox(ch), rt::ControlType::CheckBox, "Show Slope", RectOf(285, y + 2, 385, y + 20),
                   on ? 2 : 1);
    BUILDEF(PointsField(ch), SlopePointsText(ch), 390, y + 3, 440, y + 19, 1, 2);
  }
  rt::NewControl(kSlopeClearAll, rt::ControlType::PushButton, "Clear All",
                 RectOf(20, buttonsTop, 130, buttonsTop + 22), 1);
  rt::NewControl(kSlopeSetAll, rt::ControlType::PushButton, "Set All",
                 RectOf(140, buttonsTop, 250, buttonsTop + 22), 1);
  rt::NewControl(kSlopeOK, rt::ControlType::DefaultButton, "Slope Setup OK",
                 RectOf(290, buttonsTop, 440, buttonsTop + 22), 1);
  rt::FlushWindow();
}

void SetAllSlopes(float on) {
  for (int ch = 1; ch <= Channels(); ++ch) {
    alarmsArray[ch][AlarmField::SlopeTrendOn] = on;
    rt::SetControlState(ShowSlopeBox(ch), on != 0 ? 2 : 1);
  }
}

// ---- status displays ----------------------------------------------------------------------------

struct StatusChoice {
  int16_t button;
  const char* title;
  int32_t speed;
};
constexpr std::array<StatusChoice, 10> kStatusChoices = {{{11, "10 samples/sec", 100000},
                                                          {12, "30 samples/sec", 33333},
                                                          {13, "50 samples/sec", 20000},
                                                          {14, "100 samples/sec", 10000},
                                                          {15, "150 samples/sec", 6667},
                                                          {16, "200 samples/sec", 5000},
                                                          {17, "500 samples/sec", 2000},
                                                          {18, "1000 samples/sec", 1000},
                                                          {19, "OFF", -1},
                                                          {20, "ON", 0}}};
constexpr int16_t kStatusHelp = 29, kStatusOK = 30, kStatusHelpTopic = 184;

void BuildStatusWindow() {
  BuildWINDOW(kStatusDisplayWindow, "Acquisition Window Status Displays", 100, 80, 550, 330, 6);
  upVipSOUND();
  rt::DrawText(20, 34, "Status display controls", KitFont(KestraneFont, 20), kBlack);
  PLACE_AD_ICON(0, 380, 8);
  rt::SetOutputWindow(kStatusDisplayWindow);
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  rt::DrawText(20, 66, "Switch off status displays if sampling rate EXCEEDS:", font, kBlack);
  for (int k = 0; k < 8; ++k) {
    const int x = k < 4 ? 30 : 230, y = 76 + 22 * (k % 4);
    const StatusChoice& c = kStatusChoices[static_cast<std::size_t>(k)];
    rt::NewControl(c.button, rt::ControlType::RadioButton, c.title, RectOf(x, y, x + 180, y + 20), 1);
  }
  rt::DrawText(20, 187, "Displays are Always:", font, kBlack);
  rt::NewControl(19, rt::ControlType::RadioButton, "OFF", RectOf(170, 172, 240, 192), 1);
  rt::NewControl(20, rt::ControlType::RadioButton, "ON", RectOf(250, 172, 320, 192), 1);
  rt::NewControl(kStatusHelp, rt::ControlType::PushButton, "?", RectOf(20, 212, 60, 234), 1);
  rt::NewControl(kStatusOK, rt::ControlType::DefaultButton, "Selection OK", RectOf(300, 212, 430, 234), 1);
  rt::SetControlState(StatusButtonFor(Max_Display_Speed), 2);
  rt::FlushWindow();
}

// One event of the status window; true when it ends the window.
bool StatusEvent(int16_t& chosen) {
  if (Action == ActionCode::Key) return true;
  if (Action == ActionCode::CloseBox && EventID == kStatusDisplayWindow) return true;
  if (Action == ActionCode::WindowActivity && EventID > 0 && EventID != kStatusDisplayWindow) return true;
  if (Action != ActionCode::Click) return false;
  const auto id = static_cast<int16_t>(EventID);
  if (id >= 11 && id <= 20) {
    rt::SetControlState(chosen, 1);
    rt::SetControlState(id, 2);
    chosen = id;
    Max_Display_Speed = StatusSpeedFor(id);
    if (id == 19) downVipSOUND();
    if (id == 20) upVipSOUND();
  } else if (id == kStatusHelp) {
    DoHelpWindow(kStatusHelpTopic);
    rt::SetOutputWindow(kStatusDisplayWindow);
  }
  return id == kStatusOK;
}

// ---- window size -------------------------------------------------------------------------------

// The recording window is never smaller than this; the slots hold the size plus 14.
constexpr int kMinimumWidth = 640, kMinimumHeight = 400, kLargestSide = 32767 - 14;

// The outlines are drawn afresh on a clear canvas at every new size, so that a
// window shrunk and dragged out again shows them as crisp as at first.
void DrawReferenceSizes() {
  rt::ClearWindow();
  const RGBColor dark = DarkGray;
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  const auto box = [&](int w, int h, const Str255& label) {
    rt::StrokeStyle style;
    style.red = dark.red / 65535.0;
    style.green = dark.green / 65535.0;
    style.blue = dark.blue / 65535.0;
    rt::StrokeRect(0.5, 0.5, w, h, style);
    rt::DrawText(400, h - 4, label.str(), font, dark);
  };
  box(640, 400, "640 X 400 (minimum)");
  box(800, 600, "800 X 600");
  for (int k = 100; k <= 700; k += 100)
    box(800 + 2 * k, 600 + k, NumText(800 + 2 * k) + " X" + NumText(600 + k));
}

void BuildSizeWindow(int screenW, int screenH) {
  BuildWINDOW(kWindowSizeExample, "Acquisition Window Example", 4, 45, static_cast<int16_t>(4 + screenW - 34),
              static_cast<int16_t>(45 + screenH - 75), rt::kResizableWindow);
  rt::SetWindowMinimumSize(kWindowSizeExample, kMinimumWidth, kMinimumHeight);
  wsst();
  if (SoundsOn()) PlaySound("ahem.mp3", "MVtimerSounds");
  rt::NewEditField(
      1,
      "Drag the window to the desired size.  To switch to the new size, click anywhere within this "
      "window or hit the 'return' key.",
      RectOf(20, 20, 620, 56), 5, 0);
  rt::NewEditField(4, "Screen width: ", RectOf(20, 66, 130, 84), 5, 3);
  rt::NewEditField(2, "640", RectOf(130, 66, 190, 84), 5, 0);
  rt::NewEditField(5, "Screen height: ", RectOf(200, 66, 320, 84), 5, 3);
  rt::NewEditField(3, "480", RectOf(320, 66, 380, 84), 5, 0);
  rt::SetMouseHandler(MOUSECLICK);
  rt::SetMenuHandler(NoMENU);
  rt::SetDialogHandler(doDIALOG);
}

}  // namespace

int16_t StatusButtonFor(int32_t speed) {
  for (const StatusChoice& c : kStatusChoices)
    if (c.speed == speed && c.button != 19) return c.button;
  return 19;
}

int32_t StatusSpeedFor(int16_t button) {
  for (const StatusChoice& c : kStatusChoices)
    if (c.button == button) return c.speed;
  return Max_Display_Speed;
}

int16_t SETSLOPETREND() {
  const HandlerScope callersHandlers;
  if (RecordingMODE != RecordingModeCode::Chart) return 0;
  services::SetUpMENUs(0);
  wsst();
  BuildSlopeWindow();
  InstallDialogHandlers(WindowMenuHandler);
  Action = 0;
  EventID = 0;
  bool done = false;
  while (!done && rt::WindowExists(kSlopeTrendWindow)) {
    rt::PumpEvents();
    if (!rt::WindowExists(kSlopeTrendWindow)) break;
    rt::SetOutputWindow(kSlopeTrendWindow);
    const auto id = static_cast<int16_t>(EventID);
    if (Action == ActionCode::Key) done = true;
    if (Action == ActionCode::Click) {
      if (id >= 101 && id <= 100 + Channels()) {
        float& on = alarmsArray[id - 100][AlarmField::SlopeTrendOn];
        on = std::trunc(on) != 0 ? 0.0f : 1.0f;
        rt::SetControlState(id, on != 0 ? 2 : 1);
      } else if (id == kSlopeClearAll) {
        SetAllSlopes(0.0f);
      } else if (id == kSlopeSetAll) {
        SetAllSlopes(1.0f);
      }
      done = id == kSlopeOK;
    }
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(kSlopeTrendWindow)) {
    rt::SetOutputWindow(kSlopeTrendWindow);
    // Only a field the user changed is stored: a span shown as the default keeps
    // its stored value.
    for (int ch = 1; ch <= Channels(); ++ch) {
      const std::string text = rt::EditText(PointsField(ch));
      if (text == SlopePointsText(ch).str()) continue;
      alarmsArray[ch][AlarmField::SlopeTrendSpan] = static_cast<float>(std::trunc(TextToNumber(text)));
    }
    rt::CloseWindow(kSlopeTrendWindow);
  }
  MENUID = 255;
  Action = 0;
  item = 0;
  services::SetUpMENUs(1);
  return 0;
}

int16_t ChartWindowSize() {
  const HandlerScope callersHandlers;
  const int16_t oldHeight = PrefsArray[PrefsSlot::WindowHeight];
  services::SetUpMENUs(0);
  BuildSizeWindow(rt::DisplayWidth(), rt::DisplayHeight());
  Action = 0;
  EventID = 0;
  int shownW = -1, shownH = -1;
  while (rt::WindowExists(kWindowSizeExample)) {
    rt::PumpEvents();
    if (!rt::WindowExists(kWindowSizeExample)) break;
    rt::SetOutputWindow(kWindowSizeExample);
    const Rect c = rt::WindowContentRect(kWindowSizeExample);
    const int w = std::clamp(c.right - c.left, kMinimumWidth, kLargestSide);
    const int h = std::clamp(c.bottom - c.top, kMinimumHeight, kLargestSide);
    if (w != shownW || h != shownH) {
      shownW = w;
      shownH = h;
      DrawReferenceSizes();
      // The size shown is the size taken: the recording window's content.
      PrefsArray[PrefsSlot::WindowWidth] = static_cast<int16_t>(w);
      PrefsArray[PrefsSlot::WindowHeight] = static_cast<int16_t>(h);
      rt::SetEditText(2, NumText(w).str());
      rt::SetEditText(3, NumText(h).str());
      rt::FlushWindow();
    }
    const bool done =
        Action == ActionCode::Click || Action == ActionCode::CloseBox || Action == ActionCode::Key;
    Action = 0;
    EventID = 0;
    if (done) break;
  }
  upVipSOUND();
  const int16_t width = PrefsArray[PrefsSlot::WindowWidth];
  if (ScopeMax < width) ScopeMax = width;
  if (ScopeMax > 0) scopeXfactor = static_cast<float>(width) / static_cast<float>(ScopeMax);
  // The strips stretch to the new height and end where the recording window, as tall
  // as shown, leaves room below them.
  SetChanParams(oldHeight, 1);
  EndStripsAt(static_cast<float>(PrefsArray[PrefsSlot::WindowHeight] - kWindowBelowStrips));
  Action = 0;
  item = 0;
  services::SetUpMENUs(1);
  if (rt::WindowExists(kWindowSizeExample)) rt::CloseWindow(kWindowSizeExample);
  rt::FlushEvents();
  return 0;
}

int16_t STATUS_DISPLAYS() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  BuildStatusWindow();
  MENUID = 0;
  rt::SetMenuHandler(WindowMenuHandler);
  rt::SetDialogHandler(doDIALOG);
  Action = 0;
  EventID = 0;
  int16_t chosen = StatusButtonFor(Max_Display_Speed);
  bool done = false;
  while (!done && rt::WindowExists(kStatusDisplayWindow)) {
    rt::PumpEvents();
    if (!rt::WindowExists(kStatusDisplayWindow)) break;
    rt::SetOutputWindow(kStatusDisplayWindow);
    done = StatusEvent(chosen) || MENUID == 255;
    Action = 0;
    EventID = 0;
  }
  if (rt::WindowExists(kStatusDisplayWindow)) rt::CloseWindow(kStatusDisplayWindow);
  Action = ActionCode::Redraw;
  item = 0;
  services::SetUpMENUs(1);
  return 0;
}

}  // namespace mv
