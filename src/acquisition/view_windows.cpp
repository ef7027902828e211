#include "acquisition/view_windows.h"

#include <array>
#include <cmath>
#include <string>

#include "acquisition/state.h"
#include "acquisition/ticks.h"
#include "acquisition/view_preview.h"
#include "conversions/needs.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t W = kViewWindow;
constexpr RGBColor kBlack{0, 0, 0};
constexpr int16_t kDefaultUnitField = 104, kCustomUnitField = 105;

// Scope window controls.
constexpr std::array<int16_t, 10> kScopeSteps = {1, 2, 3, 4, 5, 10, 12, 15, 20, 30};
constexpr int16_t kScopeDefaultTic = 22, kScopeCustomTic = 23, kScopeOK = 31;
// Chart window controls.
constexpr std::array<int16_t, 6> kChartButtons = {1, 2, 3, 4, 5, 10};
constexpr int16_t kChartDone = 11, kChartDefaultTic = 12, kChartCustomTic = 13, kChartHelp = 112;
constexpr int16_t kScrollFirst = 30, kScrollLast = 33;
constexpr int16_t kChartHelpTopic = 194;

int PlotWidth() {
  return PrefsArray[PrefsSlot::WindowWidth];
}

void Text(int x, int y, const Str255& s, double size) {
  rt::DrawText(x, y, s.str(), KitFont(KestraneFont, size), kBlack);
}

void Radio(int16_t number, const Str255& title, Rect where, int16_t state) {
  rt::NewControl(number, rt::ControlType::RadioButton, title, where, state);
}

void Select(int16_t number, bool on) {
  if (rt::ControlExists(number) && rt::ControlState(number) != 0) rt::SetControlState(number, on ? 2 : 1);
}

void TickCue() {
  if (SoundsOn()) PlaySound("tick.mp3", "MVsounds");
}

void FocusCustomField() {
  rt::FocusEditField(kCustomUnitField);
  rt::SelectEditText(kCustomUnitField, 0, -1);
}

void WindowMenuHandler(int16_t menu, int16_t menuItem) {
  services::ShortMENU(menu, menuItem);
}

double FieldValue(int16_t field) {
  return TextToNumber(rt::EditText(field));
}

// ---- scope window ------------------------------------------------------------------------------

Str255 ScopeStepTitle(int16_t step) {
  switch (step) {
    case 1:
      return "Show Every Point";
    case 2:
      return "Show Every 2nd Point";
    case 3:
      return "Show Every 3rd Point";
    default:
      return Str255("Show Every ") + std::string_view(std::to_string(step)) + "th Point";
  }
}

// The default scope tick unit: seconds (or minutes) between the default ticks.
double ScopeDefaultUnit() {
  COMPUTESCOPETICS();
  return ScopeTickSeconds();
}

void BuildScopeWindow() {
  rt::CloseWindow(W);
  BuildWINDOW(W, "Data Display for Oscilloscope", 77, 60, 563, 435, 262);
  wsst();
  EmbossPrint(1, "Scope View:", 18, 28, 26);
  Text(190, 14, "Select the fraction of samples shown.  The", 14);
  Text(190, 30, "test plot shows how 'typical' data will look.", 14);
  int y = 45;
  for (int16_t step : kScopeSteps) {
    Radio(step, ScopeStepTitle(step), RectOf(30, y, 230, y + 20), step == ScopeViewSTEP ? 2 : 1);
    y += 22;
  }
  rt::NewControl(kScopeOK, rt::ControlType::DefaultButton, "Selection OK", RectOf(270, 345, 460, 365), 1);
  BuildGrayBox(10, 265, 465, 333, 0);
  Radio(kScopeDefaultTic, "Use Default Tic Unit:", RectOf(18, 275, 196, 295), CustomScopeTic == 0 ? 2 : 1);
  Radio(kScopeCustomTic, "Use Custom Tic Unit:", RectOf(18, 305, 196, 325), CustomScopeTic != 0 ? 2 : 1);
  if (ScopeMax > 0) scopeXfactor = static_cast<float>(PlotWidth()) / static_cast<float>(ScopeMax);
  const char* unit = static_cast<double>(ScopeMax) * scopeinterval > 600 ? "minutes" : "seconds";
  Text(327, 316, unit, 14);
  Text(327, 286, unit, 14);
  const double u = ScopeDefaultUnit();
  BUILDEF(kDefaultUnitField, NumText(u), 205, 276, 320, 294, 5, 2);
  BUILDEF(kCustomUnitField, NumText(CustomScopeTic != 0 ? u * CustomScopeTic : u), 205, 306, 320, 324, 1, 2);
  rt::FocusEditField(0);
  DrawFakeChart(1);
  InstallDialogHandlers(WindowMenuHandler);
  Action = 0;
  EventID = 0;
}

void ChooseScopeCustom() {
  Select(kScopeCustomTic, true);
  Select(kScopeDefaultTic, false);
  CustomScopeTic = 1;
  FocusCustomField();
  TickCue();
}

// One pass's event; true when the window is done.
bool ScopeEvent(bool& fieldWasFocused) {
  const bool fieldFocused = rt::FocusedEditField() == kCustomUnitField;
  if (fieldFocused && !fieldWasFocused) {
    // A click into the custom unit chooses it.
    zap();
    if (CustomScopeTic == 0) ChooseScopeCustom();
  }
  fieldWasFocused = fieldFocused;
  if (Action == ActionCode::CloseBox && EventID == W) return true;
  if (Action == ActionCode::WindowActivity && EventID > 0 && EventID != W) return true;
  // Tab, in the field or typed outside it, moves to the custom unit.
  if (Action == ActionCode::Tab || (Action == ActionCode::Key && EventID == 9)) ChooseScopeCustom();
  if (Action != ActionCode::Click) return false;
  const auto id = static_cast<int16_t>(EventID);
  if (IsScopeStep(id)) {
    Select(ScopeViewSTEP, false);
    ScopeViewSTEP = id;
    Select(id, true);
    DrawFakeChart(1);
  } else if (id == kScopeDefaultTic) {
    Select(kScopeDefaultTic, true);
    Select(kScopeCustomTic, false);
    CustomScopeTic = 0;
    rt::FocusEditField(0);
  } else if (id == kScopeCustomTic) {
    ChooseScopeCustom();
  }
  return id == kScopeOK;
}

// Runs the window once; true when a menu command asks for it to be built again.
bool RunScopeView() {
  services::SetUpMENUs(0);
  if (ScopeViewSTEP < 1) ScopeViewSTEP = 1;
  BuildScopeWindow();
  bool done = false, rebuild = false, fieldWasFocused = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) break;
    rt::SetOutputWindow(W);
    done = ScopeEvent(fieldWasFocused);
    Select(ScopeViewSTEP, true);
    Select(CustomScopeTic != 0 ? kScopeCustomTic : kScopeDefaultTic, true);
    Select(CustomScopeTic != 0 ? kScopeDefaultTic : kScopeCustomTic, false);
    Action = 0;
    EventID = 0;
    if (!done && MENUID == 255) {
      MENUID = 0;
      done = rebuild = true;
    }
  }
  if (rt::WindowExists(W)) {
    rt::SetOutputWindow(W);
    if (CustomScopeTic != 0)
      CustomScopeTic = CustomTickFactor(FieldValue(kCustomUnitField), FieldValue(kDefaultUnitField));
    rt::CloseWindow(W);
  }
  services::SetUpMENUs(1);
  return rebuild;
}

// ---- chart window ------------------------------------------------------------------------------

// The default chart tick unit in the unit the window shows (seconds, minutes or hours).
double ChartDefaultUnit() {
  double t = TicIntervalInSeconds;
  if (minute_units == 1) t /= 60;
  if (TicIntervalInSeconds >= 3600) t /= 60;
  return t;
}

void DrawScrollingPanel() {
  BuildGrayBox(480, 40, 615, 340, 0);
  EmbossPrint(1, "Scrolling", 14, 515, 58);
  // Each row: the screen before the step, the arrow, and what stays after it.
  static constexpr std::array<const char*, 4> kAfter = {"blank screen.gif", "half screen.gif",
                                                        "third screen.gif", "quarter screen.gif"};
  static constexpr std::array<const char*, 4> kTitles = {"100% (default)", "50%", "67%", "75%"};
  for (int k = 0; k < 4; ++k) {
    const int y = 90 + 70 * k;
    Radio(static_cast<int16_t>(kScrollFirst + k), kTitles[k], RectOf(496, y, 605, y + 20), 1);
    const int py = y + 21;
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", "full screen.gif"), 494, py, 530, py + 22);
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", "red arrow.gif"), 536, py + 5, 556, py + 17);
    DrawThisImage(CreateCGImageFromBundleResource("MVimages", kAfter[k]), 562, py, 598, py + 22);
  }
}

void BuildChartWindow() {
  COMPUTETICS();
  const int w = PlotWidth();
  const bool severalScreens = MaxSamples > w;
  leftedge = severalScreens ? 633 : 563;
  rt::CloseWindow(W);
  BuildWINDOW(W, "Chart Display Conditions", severalScreens ? 7 : 77, 60, leftedge, 455, 6);
  SetWindowBackground(LightGray, true);
  wsst();
  EmbossPrint(1, "Chart view", 18, 30, 26);
  Text(191, 14, "Select the number of samples per screen.  The", 14);
  Text(191, 30, "test plot simulates how 'typical' data will look.", 14);
  if (static_cast<double>(MaxSamples) < static_cast<double>(w) * ChartView) ChartView = 1;
  int y = 45;
  for (int16_t b : kChartButtons) {
    const double k = ChartViewForButton(b);
    const Str255 title = NumText(w * k) + " samples per screen ";
    const bool fits = static_cast<double>(MaxSamples) >= w * k;
    Radio(b, title, RectOf(30, y, 230, y + 20), fits ? (b == ChartButtonFor(ChartView) ? 2 : 1) : 0);
    y += 22;
  }
  if (severalScreens) {
    DrawScrollingPanel();
    rt::NewControl(kChartDone, rt::ControlType::DefaultButton, "Done", RectOf(490, 344, 600, 365), 1);
    rt::NewControl(kChartHelp, rt::ControlType::PushButton, "?", RectOf(430, 344, 470, 365), 1);
  } else {
    rt::NewControl(kChartDone, rt::ControlType::DefaultButton, "Done", RectOf(320, 344, 430, 365), 1);
    rt::NewControl(kChartHelp, rt::ControlType::PushButton, "?", RectOf(260, 344, 300, 365), 1);
  }
  Text(10, 212, "compression ratio:", 14);
  Text(225, 212, "screen duration:", 14);
  Text(34, 244, "total screens:", 14);
  BUILDEF(101, "", 150, 196, 205, 214, 5, 0);
  BUILDEF(102, "", 348, 196, 464, 214, 5, 0);
  BUILDEF(103, "", 144, 228, 211, 246, 5, 0);
  for (int16_t f : {101, 102, 103}) rt::SetEditFont(f, KitFont(3, 16));
  BuildGrayBox(85, 262, 410, 328, 0);
  Radio(kChartDefaultTic, "Default Tic Unit:", RectOf(95, 270, 221, 290), CustomTic == 0 ? 2 : 1);
  Radio(kChartCustomTic, "Custom Tic Unit:", RectOf(95, 300, 221, 320), CustomTic != 0 ? 2 : 1);
  COMPUTETICS();
  const bool minutes = static_cast<double>(ChartView) * w * ChartIntervalInSeconds > 600;
  minute_units = minutes ? 1 : 0;
  const char* unit = TicIntervalInSeconds >= 3600 ? "hours" : (minutes ? "minutes" : "seconds");
  Text(342, 316, unit, 14);
  Text(342, 286, unit, 14);
  const double t = ChartDefaultUnit();
  BUILDEF(kCustomUnitField, NumText(CustomTic != 0 ? t * CustomTic : t), 225, 301, 335, 319, 1, 2);
  BUILDEF(kDefaultUnitField, NumText(t), 225, 272, 335, 290, 5, 2);
  SCREENTIME();
  DrawFakeChart(0);
  if (PrefsArray[PrefsSlot::ChartRedrawOption] > 3) PrefsArray[PrefsSlot::ChartRedrawOption] = 0;
  Select(static_cast<int16_t>(kScrollFirst + PrefsArray[PrefsSlot::ChartRedrawOption]), true);
  rt::FocusEditField(0);
  InstallDialogHandlers(WindowMenuHandler);
  Action = 0;
  EventID = 0;
}

void ChooseChartCustom() {
  Select(kChartCustomTic, true);
  Select(kChartDefaultTic, false);
  CustomTic = 1;
  FocusCustomField();
  TickCue();
}

void ChooseCompression(int16_t button) {
  Select(ChartButtonFor(ChartView), false);
  Select(button, true);
  ChartView = ChartViewForButton(button);
  SCREENTIME();
  DrawFakeChart(0);
}

bool ChartEvent(bool& fieldWasFocused) {
  const bool fieldFocused = rt::FocusedEditField() == kCustomUnitField;
  if (fieldFocused && !fieldWasFocused && CustomTic == 0) ChooseChartCustom();
  fieldWasFocused = fieldFocused;
  if (Action == ActionCode::WindowActivity && EventID > 0 && EventID != W) {
    rt::BringWindowForward(W);
    return true;
  }
  if (Action == ActionCode::CloseBox && EventID == W) return true;
  if (Action == ActionCode::Key) return true;
  if (Action != ActionCode::Click) return false;
  const auto id = static_cast<int16_t>(EventID);
  if (id >= 1 && id <= 10 && ChartViewForButton(id) > 0) {
    ChooseCompression(id);
  } else if (id == kChartDefaultTic) {
    CustomTic = 0;
    Select(kChartDefaultTic, true);
    Select(kChartCustomTic, false);
    TickCue();
    rt::FocusEditField(0);
  } else if (id == kChartCustomTic) {
    ChooseChartCustom();
  } else if (id >= kScrollFirst && id <= kScrollLast) {
    Select(static_cast<int16_t>(kScrollFirst + PrefsArray[PrefsSlot::ChartRedrawOption]), false);
    Select(id, true);
    PrefsArray[PrefsSlot::ChartRedrawOption] = static_cast<int16_t>(id - kScrollFirst);
  } else if (id == kChartHelp) {
    DoHelpWindow(kChartHelpTopic);
    rt::SetOutputWindow(W);
  }
  return id == kChartDone;
}

bool RunChartView() {
  services::SetUpMENUs(0);
  BuildChartWindow();
  bool done = false, rebuild = false, fieldWasFocused = false;
  while (!done && rt::WindowExists(W)) {
    rt::PumpEvents();
    if (!rt::WindowExists(W)) break;
    rt::SetOutputWindow(W);
    done = ChartEvent(fieldWasFocused);
    if (PrefsArray[PrefsSlot::ChartRedrawOption] > 3) PrefsArray[PrefsSlot::ChartRedrawOption] = 0;
    Select(static_cast<int16_t>(kScrollFirst + PrefsArray[PrefsSlot::ChartRedrawOption]), true);
    Action = 0;
    EventID = 0;
    if (!done && MENUID == 255) {
      MENUID = 0;
      done = rebuild = true;
    }
  }
  if (rt::WindowExists(W)) {
    rt::SetOutputWindow(W);
    if (CustomTic != 0) {
      COMPUTETICS();
      CustomTic = CustomTickFactor(FieldValue(kCustomUnitField), ChartDefaultUnit());
    }
    rt::CloseWindow(W);
  }
  services::SetUpMENUs(1);
  return rebuild;
}

}  // namespace

bool IsScopeStep(int16_t step) {
  for (int16_t s : kScopeSteps)
    if (s == step) return true;
  return false;
}

float ChartViewForButton(int16_t button) {
  switch (button) {
    case 1:
      return 1.0f;
    case 2:
      return 2.0f;
    case 3:
      return 2.5f;
    case 4:
      return 4.0f;
    case 5:
      return 5.0f;
    case 10:
      return 10.0f;
    default:
      return 0.0f;
  }
}

int16_t ChartButtonFor(float chartView) {
  if (chartView == 2.5f) return 3;
  return static_cast<int16_t>(std::trunc(chartView));
}

double CustomTickFactor(double typed, double defaultUnit) {
  if (!(defaultUnit > 0) || !std::isfinite(defaultUnit)) return 0;
  const double f = typed / defaultUnit;
  return std::isfinite(f) && f > 0 ? f : 0;
}

void SETSCOPEVIEW() {
  const HandlerScope callersHandlers;
  while (RunScopeView()) {
  }
}

void SETCHARTVIEW() {
  const HandlerScope callersHandlers;
  while (RunChartView()) {
  }
}

}  // namespace mv
