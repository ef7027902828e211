// The set-up window's frame and texts: the picture, boxes and column headings, the
// buttons and count panels outside the rows, the interval and duration texts, the
// status line and the out-of-range warning.
#include <algorithm>
#include <string>
#include <vector>

#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/setup_window.h"
#include "setup/setup_window_view.h"
#include "setup/state.h"

namespace mv {

namespace {

using setup_view::Current;

constexpr RGBColor kBlack{0, 0, 0};

constexpr const char* kChartHeadings[2] = {
    "A-D             A                     B                      C                min         max      "
    "number               variable label",
    "input         value               value                 value               Y             Y       "
    "averaged     (maximum of 30 characters)"};
constexpr const char* kOtherHeadings[2] = {
    "A-D             A                     B                      C                min         max       "
    "                             variable label",
    "input         value               value                 value               Y             Y        "
    "                      (maximum of 30 characters)"};

// The columns of the rows, left to right: the centre of each heading word.
constexpr int16_t kChartColumns[] = {67, 130, 224, 318, 397, 460, 513, 646};
constexpr int16_t kOtherColumns[] = {67, 130, 224, 318, 397, 460, 646};

bool ScopeMode() {
  return RecordingMODE == RecordingModeCode::Scope;
}
bool ScopeChartMode() {
  return RecordingMODE == RecordingModeCode::ScopeChart;
}

void FillBox(int left, int top, int right, int bottom, RGBColor colour) {
  const RGBf c = ToRGBf(colour);
  rt::FillRect(left, top, right - left, bottom - top, c.red, c.green, c.blue);
}

void Text(int x, int y, const Str255& text, double size, RGBColor colour = kBlack, bool bold = false) {
  rt::FontSpec font = KitFont(KestraneFont, size);
  font.bold = bold;
  rt::DrawText(x, y, text.str(), font, colour);
}

// The words of a heading (split at runs of blanks), each centred over its column.
void Heading(const char* line, const int16_t* columns, std::size_t count, int y) {
  const std::string s(line);
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t start = s.find_first_not_of(' ', i);
    if (start == std::string::npos) break;
    std::size_t end = s.find("  ", start);
    if (end == std::string::npos) end = s.size();
    words.push_back(s.substr(start, end - start));
    i = end;
  }
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  for (std::size_t k = 0; k < words.size() && k < count; ++k) {
    const int x = columns[k] - rt::TextWidth(words[k], font) / 2;
    rt::DrawText(x, y, words[k], font, kBlack);
  }
}

void Push(int16_t number, const Str255& title, int left, int top, int right, int bottom, int16_t state = 1) {
  rt::NewControl(number, rt::ControlType::PushButton, title,
                 Rect{static_cast<int16_t>(left), static_cast<int16_t>(top), static_cast<int16_t>(right),
                      static_cast<int16_t>(bottom)},
                 state);
}

void Check(int16_t number, const Str255& title, int left, int top, int16_t state) {
  rt::NewControl(
      number, rt::ControlType::CheckBox, title,
      Rect{static_cast<int16_t>(left), static_cast<int16_t>(top), 745, static_cast<int16_t>(top + 15)},
      state);
}

void CountField(int16_t number, int left, int top, int right) {
  const int16_t fore = EFForeColor, back = EFBackColor;
  EFForeColor = 0;
  EFBackColor = 6;
  BUILDEF(number, "", static_cast<int16_t>(left), static_cast<int16_t>(top), static_cast<int16_t>(right),
          static_cast<int16_t>(top + 20), 7, 2);
  EFForeColor = fore;
  EFBackColor = back;
}

// A count panel: label, first, back, count, forward, last, at one line.
void CountPanel(const char* label, const int16_t (&items)[4], int16_t field, const char* first,
                const char* last, int x, int top) {
  if (label[0] != 0) Text(x, top + 16, label, 12, DarkGray);
  const int bx = label[0] != 0 ? x + 92 : x;
  Push(items[0], first, bx, top, bx + 32, top + 22);
  Push(items[1], "<<", bx + 34, top, bx + 60, top + 22);
  CountField(field, bx + 63, top + 1, bx + 135);
  Push(items[2], ">>", bx + 138, top, bx + 164, top + 22);
  Push(items[3], last, bx + 166, top, bx + 198, top + 22);
}

void PlaceLowerButtons(const SetupLayout& l) {
  const int top1 = l.lowerTop + 10, top2 = l.lowerTop + 38;
  if (ScopeMode()) {
    CountPanel("Scope samples",
               {SetupItem::ScopeMin, SetupItem::ScopeLess, SetupItem::ScopeMore, SetupItem::ScopeMaximum},
               SetupItem::ScopeCount, "min", "max", 12, top1);
  } else {
    CountPanel("Chart samples",
               {SetupItem::FirstScreen, SetupItem::ChartLess, SetupItem::ChartMore, SetupItem::LastScreen},
               SetupItem::ChartCount, "|<<", ">>|", 12, top1);
  }
  Push(SetupItem::Device, "Device Control...", 324, top1, 454, top1 + 22);
  Push(SetupItem::Trigger, "Triggering...", 460, top1, 570, top1 + 22);
  Push(SetupItem::ScreenView, "Screen View...", 576, top1, 686, top1 + 22);
  Push(SetupItem::Help, "?", 692, top1, 718, top1 + 22);
  int x = 12;
  if (!ScopeMode()) {
    Push(SetupItem::ChartViewButton, "Chart View...", x, top2, x + 110, top2 + 22);
    x += 116;
  }
  if (RecordingMODE != RecordingModeCode::Chart)
    Push(SetupItem::ScopeView, "Scope View...", x, top2, x + 110, top2 + 22);
  if (!ScopeMode()) {
    Push(SetupItem::Cut, "Cut Channel...", 324, top2, 454, top2 + 22);
    Push(SetupItem::Add, "Add Channel...", 460, top2, 570, top2 + 22);
  }
  DrawIcon(140, 576, static_cast<int16_t>(top2 + 27));
  Push(SetupItem::Restart, "Restart...", 612, top2, 748, top2 + 22, Sample == 0 ? 1 : 0);
  rt::NewControl(
      SetupItem::SetupOK, rt::ControlType::DefaultButton, "Setup OK",
      Rect{612, static_cast<int16_t>(l.lowerTop + 68), 748, static_cast<int16_t>(l.lowerTop + 100)}, 1);
}

void PlaceScopeBox(const SetupLayout& l) {
  const int top = l.scopeTop;
  Push(SetupItem::ScopeRate, "Scope Sample Rate...", 586, top + 5, 746, top + 27);
  Push(SetupItem::ScopeMin, "min", 580, top + 33, 610, top + 55);
  Push(SetupItem::ScopeLess, "<<", 612, top + 33, 636, top + 55);
  CountField(SetupItem::ScopeCount, 639, top + 34, 691);
  Push(SetupItem::ScopeMore, ">>", 694, top + 33, 718, top + 55);
  Push(SetupItem::ScopeMaximum, "max", 720, top + 33, 748, top + 55);
}

void SetStates(const CountStates& s, int16_t less, int16_t more, int16_t most) {
  if (rt::ControlExists(less)) rt::SetControlState(less, s.less);
  if (rt::ControlExists(more)) rt::SetControlState(more, s.more);
  if (rt::ControlExists(most)) rt::SetControlState(most, s.most);
}

Str255 CountText(int32_t v) {
  return Str255(std::to_string(v));
}

}  // namespace

namespace setup_view {

void DrawSetupFrame() {
  const SetupLayout& l = Current().layout;
  DrawThisImage(CreateCGImageFromBundleResource("MVimages", "gears.png"), 30, 4, 110, 72);
  BuildGrayBox(139, 14, 749, 70, 0);
  BuildGrayBox(4, static_cast<int16_t>(l.lowerTop + 2), 756, static_cast<int16_t>(l.height - 4), 0);
  if (ScopeChartMode()) BuildGrayBox(139, l.scopeTop, 749, static_cast<int16_t>(l.scopeTop + 63), 0);
  const bool chart = RecordingMODE == RecordingModeCode::Chart;
  const auto* lines = chart ? kChartHeadings : kOtherHeadings;
  const int16_t* columns = chart ? kChartColumns : kOtherColumns;
  const std::size_t count = chart ? std::size(kChartColumns) : std::size(kOtherColumns);
  Heading(lines[0], columns, count, 95);
  Heading(lines[1], columns, count, 108);
}

void PlaceSetupButtons() {
  const SetupLayout& l = Current().layout;
  Push(SetupItem::ChartRate, ScopeMode() ? "Scope Sample Rate..." : "Chart Sample Rate...", 586, 17, 746, 37);
  if (!ScopeMode()) {
    Check(SetupItem::Beep, "Beep at sample", 588, 39, PrefsArray[PrefsSlot::BeepEverySample] != 0 ? 2 : 1);
    const int slot = ScopeChartMode() ? PrefsSlot::Automarkers : PrefsSlot::Autorepeat;
    Check(SetupItem::Repeat, ScopeChartMode() ? "Auto-markers" : "Automatic Repeat", 588, 54,
          PrefsArray[slot] != 0 ? 2 : 1);
  }
  if (ScopeChartMode()) PlaceScopeBox(l);
  PlaceLowerButtons(l);
}

void RefreshCountPanels() {
  const int32_t W = ScreenWidth();
  if (rt::EditFieldExists(SetupItem::ChartCount)) {
    rt::SetEditText(SetupItem::ChartCount, CountText(MaxSamples).str());
    SetStates(ChartCountStates(MaxSamples, W, MaximumSamples), SetupItem::ChartLess, SetupItem::ChartMore,
              SetupItem::LastScreen);
  }
  if (rt::EditFieldExists(SetupItem::ScopeCount)) {
    const int32_t limit = ScopeTraceLimit(External_AD, ScopeIntervalInSeconds, MaximumScopeSamples);
    rt::SetEditText(SetupItem::ScopeCount, CountText(ScopeMax).str());
    SetStates(ScopeCountStates(ScopeMax, W, limit), SetupItem::ScopeLess, SetupItem::ScopeMore,
              SetupItem::ScopeMaximum);
  }
}

}  // namespace setup_view

void DRAWSPEEDDATA() {
  if (!rt::WindowExists(kSetupWindow)) return;
  rt::SetOutputWindow(kSetupWindow);
  const bool scope = ScopeMode();
  FillBox(140, 15, 576, 69, VeryLightGray);
  const double interval = scope ? ScopeIntervalInSeconds : ChartIntervalInSeconds;
  const int32_t samples = scope ? ScopeMax : MaxSamples;
  const double seconds = static_cast<double>(samples) * interval;
  const ChartDuration d = FindChartDurationText(static_cast<float>(seconds), setup_view::ScreenWidth(), samples);
  TraceLength = d.traceLength;
  minute_units = d.minuteUnits;
  tfact = d.tfact;
  if (scope) sctracelength = d.traceLength;
  if (seconds > 172'800) TraceLength *= 24;
  Text(142, 38, SampleEveryText(scope, interval), 20);
  Text(142, 63, Str255(scope ? " Scope duration is " : "    Chart duration is ") + d.text, 20);
  rt::FlushWindow();
}

void DRAWSPEEDDATA2() {
  if (!rt::WindowExists(kSetupWindow) || !ScopeChartMode()) return;
  rt::SetOutputWindow(kSetupWindow);
  const int top = Current().layout.scopeTop;
  FillBox(140, top + 2, 576, top + 62, VeryLightGray);
  const ScopeLines lines = ScopeLinesFor(ScopeIntervalInSeconds, ScopeMax);
  sctracelength = lines.sctracelength;
  Text(142, top + 27, lines.every, 24);
  Text(142, top + 55, lines.duration, 24);
  rt::FlushWindow();
}

void UpdateTriggerAndSwitcher() {
  if (!rt::WindowExists(kSetupWindow)) return;
  rt::SetOutputWindow(kSetupWindow);
  const int y = Current().layout.statusBaseline;
  FillBox(150, y - 17, 570, y + 6, VeryLightGray);
  rt::FontSpec font = KitFont(KestraneFont, 14);
  font.bold = true;
  int x = 163;
  for (const StatusPiece& p : StatusTexts(RecordingMODE, TriggerON, SwitchingMode, ChartView)) {
    const RGBColor colour = p.alert ? RGBred : DarkGray;
    rt::DrawText(x, y, p.text.str(), font, colour);
    x += rt::TextWidth(p.text.str(), font);
  }
  rt::FlushWindow();
}

void ADinputWarning(int16_t count) {
  const HandlerScope callersHandlers;
  const InputWarningText t = InputWarningTexts(count, PrefsArray[PrefsSlot::HardwareInputs]);
  BuildWINDOW(kInputWarningWindow, t.title, 184, 150, 556, 272, 262);
  WARNINGSTRIPES(6);
  zap();
  rt::FontSpec large = KitFont(KestraneFont, 18);
  large.bold = true;
  const rt::FontSpec plain = KitFont(KestraneFont, 13);
  rt::DrawText(18, 34, t.caution.str(), large, RGBred);
  rt::DrawText(18 + rt::TextWidth(t.caution.str(), large), 34, t.assignment.str(), plain, kBlack);
  rt::DrawText(18, 56, t.range.str(), plain, kBlack);
  rt::DrawText(18, 84, t.fixThis.str(), large, RGBred);
  rt::DrawText(18 + rt::TextWidth(t.fixThis.str(), large), 84, t.consequence.str(), plain, kBlack);
  rt::NewControl(1, rt::ControlType::DefaultButton, "Close and Fix...", Rect{222, 92, 360, 114}, 1);
  rt::FlushWindow();

  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    if (!rt::WindowExists(kInputWarningWindow)) break;
    const bool closeBox = Action == ActionCode::CloseBox && EventID == kInputWarningWindow;
    const bool button = Action == ActionCode::Click && EventID == 1;
    const bool returnKey = Action == ActionCode::Key && (EventID == 0 || EventID == 13 || EventID == 3);
    Action = 0;
    EventID = 0;
    if (closeBox || button || returnKey) break;
  }
  rt::CloseWindow(kInputWarningWindow);
  Action = 0;
  EventID = 0;
}

}  // namespace mv
