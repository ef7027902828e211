#include "files/color_window.h"

#include "conversions/needs.h"
#include "files/prefs_file.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/panels.h"
#include "runtime/system.h"
#include "runtime/windows.h"

namespace mv {

namespace {

struct Button {
  int16_t number;
  const char* title;
  Rect where;
};

constexpr Button kPickers[] = {
    {5, "Scope Frame", {460, 32, 610, 54}},        {11, "Scope Data", {460, 72, 610, 94}},
    {6, "Scope Background", {460, 112, 610, 134}}, {1, "Text, Frame, Dots", {460, 206, 610, 228}},
    {3, "Data Line", {460, 240, 610, 262}},        {2, "Chart Background", {460, 276, 610, 298}},
    {4, "Markers", {460, 316, 610, 338}},
};

constexpr int16_t kLinePaletteBlack = 7;

// A whole number 0..n-1 from the program's random source.
int Random0(int n) {
  return rt::Rnd(n) - 1;
}

void Dot(double x, double y, RGBColor c) {
  const RGBf f = ToRGBf(c);
  rt::FillRect(x, y, 1, 1, f.red, f.green, f.blue);
}

void Panel(int16_t left, int16_t top, int16_t right, int16_t bottom, RGBColor fill, RGBColor frame) {
  CGdrawBox(1, fill, 1, left, top, right, bottom, 0);
  CGdrawBox(1, frame, 0, left, top, right, bottom, 0);
}

void Label(double x, double y, const char* text, double size, RGBColor c) {
  rt::DrawText(x, y, text, KitFont(KestraneFont, size), c);
}

// The chart sample: panel, label, scale, a random walk, the dotted grid and a marker.
void DrawChartSample() {
  Panel(50, 210, 430, 350, ChartBackgroundColor, ChartFrameColor);
  Label(110, 224, "  Channel 2    Oxygen consumption", 10, ChartFrameColor);
  Label(40, 220, "5", 10, ChartFrameColor);
  Label(40, 350, "0", 10, ChartFrameColor);
  int y = 260 + Random0(8);
  for (int16_t x = 51; x < 428; ++x) {
    int next = y + 8 - Random0(16);
    const bool settled = x > 369;
    if (next < (settled ? 255 : 235) || next > (settled ? 275 : 325)) next = 260 + Random0(8);
    PlotCGrgb(1, x, static_cast<int16_t>(y), static_cast<int16_t>(x + 1), static_cast<int16_t>(next),
              ChartDataColor);
    y = next;
  }
  PlotCG(1, 428, static_cast<int16_t>(y), 458, 250, kLinePaletteBlack);
  for (int gy : {243, 276, 309, 342})
    for (int x = 55; x <= 430; x += 5) Dot(x, gy, ChartFrameColor);
  for (int my = 226; my <= 346; my += 6) Dot(398, my, MarkerColor);
  Label(401, 236, "a", 10, MarkerColor);
}

// The scope sample: panel, a random trace, the dotted grid, ticks and scale.
void DrawScopeSample(int16_t mode) {
  Panel(250, 30, 430, 160, mode == kHighSpeedScopeMode ? FastScopeBackground : ScopeBackgroundColor,
        ScopeFrameColor);
  int y = 110 + Random0(40);
  for (int16_t x = 250; x < 429; ++x) {
    int next = y + 4 - Random0(8);
    if (next < 40 || next > 155) next = 30 + Random0(50);
    PlotCGrgb(1, x, static_cast<int16_t>(y), static_cast<int16_t>(x + 1), static_cast<int16_t>(next),
              ScopeDataColor);
    y = next;
  }
  for (int gy : {56, 82, 108, 134})
    for (int x = 255; x <= 430; x += 5) Dot(x, gy, ScopeFrameColor);
  for (int i = 0; i < 24; ++i) {
    const auto ty = static_cast<int16_t>(30 + (i * 130) / 23);
    PlotCGrgb(1, 235, ty, 241, ty, ScopeFrameColor);
  }
  Label(224, 40, "1", 10, ScopeFrameColor);
  Label(220, 162, "-1", 10, ScopeFrameColor);
}

void DrawPointers() {
  constexpr int16_t lines[7][4] = {{430, 40, 458, 43},   {425, 83, 458, 83},   {425, 123, 458, 123},
                                   {430, 215, 458, 217}, {430, 243, 458, 222}, {425, 292, 458, 287},
                                   {400, 330, 458, 327}};
  for (const auto& l : lines) PlotCG(1, l[0], l[1], l[2], l[3], kLinePaletteBlack);
}

void BuildColorWindow() {
  BuildWINDOW(kColorWindow, "Select Chart and Scope Colors", 10, 65, 635, 480, 6);
  for (const Button& b : kPickers) rt::NewControl(b.number, rt::ControlType::PushButton, b.title, b.where, 1);
  BUILDBUTTON(kContinuousScopeRadio, 2, "Continuous Scope Colors", 20, 56, 3, 1);
  BUILDBUTTON(kHighSpeedScopeRadio, 1, "High-Speed Scope Colors", 20, 80, 3, 1);
  BuildGrayBox(20, 362, 605, 405, 1);
  rt::NewControl(kDefaultColorsButton, rt::ControlType::PushButton, "Use Default Colors",
                 Rect{30, 372, 200, 396}, 1);
  rt::NewControl(kStoredPrefsButton, rt::ControlType::PushButton, "Use Stored Preferences",
                 Rect{210, 372, 400, 396}, 1);
  rt::NewControl(kColorsOKButton, rt::ControlType::DefaultButton, "Selection OK", Rect{490, 372, 595, 396},
                 1);
}

// The preview in the current colours.
void Redraw(int16_t mode) {
  rt::SetOutputWindow(kColorWindow);
  COLORPLOT(mode);
  rt::FlushWindow();
}

void Resume() {
  rt::SetOutputWindow(kColorWindow);
  InstallDialogHandlers(NoMENU);
  rt::BringWindowForward(kColorWindow);
}

void Pick(int16_t button, int16_t mode) {
  const std::optional<ColorChoice> choice = ColorChoiceFor(button, mode);
  if (!choice) return;
  RGBColor picked = *choice->color;
  if (rt::PickColor(choice->prompt.str(), picked)) *choice->color = picked;
  Resume();
}

void SetMode(int16_t& mode, int16_t newMode) {
  mode = newMode;
  rt::SetControlState(kContinuousScopeRadio, mode == kContinuousScopeMode ? 2 : 1);
  rt::SetControlState(kHighSpeedScopeRadio, mode == kHighSpeedScopeMode ? 2 : 1);
}

// True when the event ends the window.
bool Handle(int16_t& mode) {
  switch (Action) {
    case ActionCode::Click:
      switch (EventID) {
        case kColorsOKButton:
          return true;
        case kContinuousScopeRadio:
          SetMode(mode, kContinuousScopeMode);
          break;
        case kHighSpeedScopeRadio:
          SetMode(mode, kHighSpeedScopeMode);
          break;
        case kDefaultColorsButton:
          DEFAULTCOLORS();
          break;
        case kStoredPrefsButton:
          GETSettings();
          Resume();
          break;
        default:
          Pick(static_cast<int16_t>(EventID), mode);
          break;
      }
      Redraw(mode);
      return false;
    case ActionCode::CloseBox:
      return EventID == kColorWindow;
    case ActionCode::Key:
      return EventID == 0 || EventID == 13 || EventID == 3;
    default:
      return false;
  }
}

}  // namespace

std::optional<ColorChoice> ColorChoiceFor(int16_t button, int16_t mode) {
  switch (button) {
    case 1:
      return ColorChoice{&ChartFrameColor, "pick chart frame color"};
    case 2:
      return ColorChoice{&ChartBackgroundColor, "pick chart background color"};
    case 3:
      return ColorChoice{&ChartDataColor, "pick chart data color"};
    case 4:
      return ColorChoice{&MarkerColor, "pick markers color"};
    case 5:
      return ColorChoice{&ScopeFrameColor, "pick scope frame color"};
    case 11:
      return ColorChoice{&ScopeDataColor, "pick scope data color"};
    case 6:
      return ColorChoice{mode == kHighSpeedScopeMode ? &FastScopeBackground : &ScopeBackgroundColor,
                         "pick scope background color"};
    default:
      return std::nullopt;
  }
}

void COLORPLOT(int16_t mode) {
  ClearArea(212, 20, 459, 172);
  ClearArea(30, 195, 459, 358);
  DrawChartSample();
  DrawScopeSample(mode);
  DrawPointers();
}

void SETCOLORS() {
  const HandlerScope callersHandlers;
  services::SetUpMENUs(0);
  BuildColorWindow();
  wssst();
  int16_t mode = kContinuousScopeMode;
  Redraw(mode);
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  bool done = false;
  while (!done && rt::WindowExists(kColorWindow)) {
    rt::PumpEvents();
    done = Handle(mode);
    Action = 0;
    EventID = 0;
  }
  rt::CloseWindow(kColorWindow);
  Action = 0;
  item = 0;
  EventID = 0;
  services::SetUpMENUs(1);
}

}  // namespace mv
