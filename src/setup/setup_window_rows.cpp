// The rows of the set-up window: one row of buttons and fields per channel, the
// readings-averaged column, the reading back of the rows and the paging of rows on
// a display too low for all of them.
#include <algorithm>
#include <cmath>
#include <string>

#include "acquisition/state.h"
#include "conversions/conversions_window.h"
#include "conversions/equation_panel.h"
#include "conversions/evaluate.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/channel_values.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/setup_window.h"
#include "setup/setup_window_view.h"
#include "setup/state.h"

namespace mv {

namespace setup_view {

View& Current() {
  static View view;
  return view;
}

int16_t ChannelCount() {
  return static_cast<int16_t>(std::clamp<int>(nChannels, 0, 16));
}

int16_t FirstShown() {
  View& v = Current();
  v.firstRow = ClampFirstRow(v.firstRow, v.layout.visibleRows, ChannelCount());
  return v.firstRow;
}

int16_t LastShown() {
  return static_cast<int16_t>(std::min<int>(ChannelCount(), FirstShown() + Current().layout.visibleRows - 1));
}

int32_t ScreenWidth() {
  const int32_t w = PrefsArray[PrefsSlot::WindowWidth];
  return w > 0 ? w : 640;
}

std::optional<TypedRefusal> TypedRowRefusal() {
  if (!rt::WindowExists(kSetupWindow)) return std::nullopt;
  for (int16_t k = FirstShown(); k <= LastShown(); ++k) {
    if (CoefficientsReadBack(ChannelVariables[k], ChannelVariables[0][k])) {
      for (int i = 0; i < 3; ++i) {
        const int16_t field = CoefficientField(k, i);
        if (!rt::EditFieldExists(field)) continue;
        const std::string text = rt::EditText(field);
        if (const auto why = TypedCoefficientProblem(text))
          return TypedRefusal{
              field, "Channel " + std::to_string(k) + ", " + "abc"[i] + ": \"" + text + "\" " + *why + "."};
      }
    }
    // Only a chart channel's count is typed and averaged.
    if (RecordingMODE != RecordingModeCode::Chart || !rt::EditFieldExists(AveragedField(k))) continue;
    if (auto line = TypedAveragedProblem(k, rt::EditText(AveragedField(k))))
      return TypedRefusal{AveragedField(k), std::move(*line)};
  }
  return std::nullopt;
}

}  // namespace setup_view

namespace {

using setup_view::Current;

// The fields of the rows: black text on white.
class FieldColours {
 public:
  FieldColours() : fore_(EFForeColor), back_(EFBackColor) {
    EFForeColor = 0;
    EFBackColor = 6;
  }
  ~FieldColours() {
    EFForeColor = fore_;
    EFBackColor = back_;
  }
  FieldColours(const FieldColours&) = delete;
  FieldColours& operator=(const FieldColours&) = delete;

 private:
  int16_t fore_, back_;
};

int16_t TypeOf(int16_t channel) {
  return static_cast<int16_t>(std::trunc(ChannelVariables[0][channel]));
}

Str255 WholeTitle(float v) {
  if (!std::isfinite(v)) return "0";
  return Str255(std::to_string(static_cast<long long>(std::trunc(v))));
}

// An editable field of a row. Nothing is selected: a window full of selected
// fields would hide which one has the keyboard.
void RowField(int16_t number, const Str255& text, int16_t left, int16_t right, int16_t y,
              int16_t justification, double size) {
  BUILDEF(number, text, left, static_cast<int16_t>(y - 19), right, static_cast<int16_t>(y - 1), 3,
          justification);
  rt::SetEditFont(number, KitFont(3, size));
  rt::SelectEditText(number, 0, 0);
}

void NumberField(int16_t number, const Str255& text, int16_t left, int16_t right, int16_t y, double size) {
  RowField(number, text, left, right, y, 2, size);
}

void Button(int16_t number, const Str255& title, int16_t left, int16_t right, int16_t y, int16_t state = 1) {
  rt::NewControl(number, rt::ControlType::PushButton, title,
                 Rect{left, static_cast<int16_t>(y - 20), right, static_cast<int16_t>(y)}, state);
}

void BuildConversionPart(int16_t k, int16_t y) {
  const auto& r = ChannelVariables[k];
  switch (TypeOf(k)) {
    case ConversionTypeCode::ThreeWay:
      Button(ThreeWayButton(k), "3-order Polynomial", 92, 284, y);
      break;
    case ConversionTypeCode::Breakpoint:
      Button(BreakpointButton(k), "Breakpoint Conversion", 92, 284, y);
      break;
    default:
      NumberField(CoefficientField(k, 0), CoefficientText(r[ChanField::A]), 87, 173, y, 11);
      NumberField(CoefficientField(k, 1), CoefficientText(r[ChanField::B]), 179, 269, y, 11);
      NumberField(CoefficientField(k, 2), CoefficientText(r[ChanField::C]), 274, 363, y, 11);
      break;
  }
}

void BuildRow(int16_t k, int16_t y) {
  const auto& r = ChannelVariables[k];
  FieldColours colours;
  Button(TestButton(k), Str255("Ch.") + NumText(k), 3, 48, y);
  const int16_t inputState = External_AD == ExternalADCode::SerialStream ? 0 : 1;
  Button(InputButton(k), WholeTitle(r[ChanField::Input]), 54, 80, y, inputState);
  BuildConversionPart(k, y);
  // Range texts read back as the very values stored, so confirming the window
  // unchanged never moves a range.
  NumberField(MinField(k), RangeText(r[ChanField::PlotMin]), 369, 425, y, 12);
  NumberField(MaxField(k), RangeText(r[ChanField::PlotMax]), 431, 490, y, 12);
  Str255 label = ChannelLabel(k);
  TRUNCATE(label);
  RowField(LabelField(k), label, 540, 753, y, 1, 12);
}

void RemoveRow(int16_t k) {
  for (int16_t control : {InputButton(k), TestButton(k), ThreeWayButton(k), BreakpointButton(k)})
    rt::DisposeControl(control);
  for (int16_t f = CoefficientField(k, 0); f <= LabelField(k); ++f) rt::DisposeEditField(f);
}

int16_t SlotBaseline(int16_t channel) {
  return RowBaseline(static_cast<int16_t>(channel - Current().firstRow + 1));
}

int32_t ScopeSamplesPerChartSampleNow() {
  return ScopeSamplesPerChartSample(ChartIntervalInSeconds, ScopeIntervalInSeconds,
                                    PrefsArray[PrefsSlot::DT800FastScope] == 1, ScopeMax, scopeinterval);
}

void BuildAveragingCell(int16_t k, int16_t n, int32_t scopePerChart) {
  const int16_t y = SlotBaseline(k);
  const AveragingCell cell =
      AveragingCellFor(k, n, RecordingMODE, PrefsArray[PrefsSlot::AverageAllChannels] != 0,
                       ChannelVariables[k][ChanField::Averaged], MaxAvrg, scopePerChart);
  FieldColours colours;
  switch (cell.kind) {
    case AveragingCell::Kind::Button:
      Button(SetupItem::LastAveraging, cell.text, 494, 535, y);
      break;
    case AveragingCell::Kind::Field:
      NumberField(AveragedField(k), cell.text, 495, 532, y, 12);
      break;
    case AveragingCell::Kind::Text:
      BUILDEF(AveragedField(k), cell.text, 495, static_cast<int16_t>(y - 19), 532,
              static_cast<int16_t>(y - 1), 7, 2);
      break;
  }
}

void PlacePagingButtons() {
  const int16_t n = setup_view::ChannelCount();
  const auto& layout = Current().layout;
  if (n <= layout.visibleRows) {
    rt::DisposeControl(SetupItem::RowsUp);
    rt::DisposeControl(SetupItem::RowsDown);
    return;
  }
  const int16_t first = setup_view::FirstShown();
  rt::NewControl(SetupItem::RowsUp, rt::ControlType::PushButton, "Up", Rect{3, 76, 48, 94},
                 first > 1 ? 1 : 0);
  rt::NewControl(SetupItem::RowsDown, rt::ControlType::PushButton, "Down", Rect{3, 96, 48, 114},
                 setup_view::LastShown() < n ? 1 : 0);
}

// A coefficient the channel cannot hold keeps the value stored: the window refuses to
// start with it and says why (TypedRowRefusal).
void ReadRowBack(int16_t k, int16_t n) {
  auto& r = ChannelVariables[k];
  if (CoefficientsReadBack(r, ChannelVariables[0][k])) {
    for (int i = 0; i < 3; ++i) {
      if (!rt::EditFieldExists(CoefficientField(k, i))) continue;
      const std::string text = rt::EditText(CoefficientField(k, i));
      if (!TypedCoefficientProblem(text)) r[ChanField::A + i] = ReadBackValue(text);
    }
  }
  if (rt::EditFieldExists(MinField(k))) r[ChanField::PlotMin] = ReadBackValue(rt::EditText(MinField(k)));
  if (rt::EditFieldExists(MaxField(k))) r[ChanField::PlotMax] = ReadBackValue(rt::EditText(MaxField(k)));
  const bool lastChart = RecordingMODE == RecordingModeCode::Chart && k == n;
  if (!lastChart && rt::EditFieldExists(AveragedField(k)))
    r[ChanField::Averaged] = ReadBackAveraged(rt::EditText(AveragedField(k)), r[ChanField::Averaged]);
  if (rt::EditFieldExists(LabelField(k))) SetChannelLabel(k, rt::EditText(LabelField(k)));
}

}  // namespace

void RemoveSetupEditFields(int16_t count) {
  if (!rt::WindowExists(kSetupWindow)) return;
  rt::SetOutputWindow(kSetupWindow);
  for (int16_t k = 1; k <= std::min<int16_t>(count, 16); ++k) RemoveRow(k);
  rt::DisposeControl(SetupItem::LastAveraging);
}

void FixFields(int16_t window) {
  if (!rt::WindowExists(window)) return;
  rt::SetOutputWindow(window);
  for (int16_t k = 1; k <= 16; ++k) RemoveRow(k);
  rt::DisposeControl(SetupItem::LastAveraging);
  const int16_t first = setup_view::FirstShown(), last = setup_view::LastShown();
  for (int16_t k = first; k <= last; ++k) BuildRow(k, SlotBaseline(k));
  AVERAGINGFIELDS(window);
  PlacePagingButtons();
  rt::FlushWindow();
}

void FixONEchanField(int16_t channel) {
  if (!rt::WindowExists(kSetupWindow)) return;
  rt::SetOutputWindow(kSetupWindow);
  if (channel < setup_view::FirstShown() || channel > setup_view::LastShown()) return;
  RemoveRow(channel);
  if (channel == setup_view::ChannelCount()) rt::DisposeControl(SetupItem::LastAveraging);
  BuildRow(channel, SlotBaseline(channel));
  BuildAveragingCell(channel, setup_view::ChannelCount(), ScopeSamplesPerChartSampleNow());
  rt::FlushWindow();
}

void AVERAGINGFIELDS(int16_t window) {
  if (!rt::WindowExists(window)) return;
  rt::SetOutputWindow(window);
  setup_hooks::MAXAVERAGE();
  const int16_t n = setup_view::ChannelCount();
  if (n >= 1 && RecordingMODE != RecordingModeCode::Chart) ChannelVariables[1][ChanField::Averaged] = 1.0f;
  for (int16_t k = 1; k <= 16; ++k) rt::DisposeEditField(AveragedField(k));
  rt::DisposeControl(SetupItem::LastAveraging);
  const int32_t scopePerChart = ScopeSamplesPerChartSampleNow();
  for (int16_t k = setup_view::FirstShown(); k <= setup_view::LastShown(); ++k)
    BuildAveragingCell(k, n, scopePerChart);
}

void UPDATE() {
  if (!rt::WindowExists(kSetupWindow)) return;
  const int16_t previous = rt::OutputWindow();
  rt::SetOutputWindow(kSetupWindow);
  const int16_t n = setup_view::ChannelCount();
  for (int16_t k = 1; k <= n; ++k) ReadRowBack(k, n);
  datalabel = LimitLabelString(datalabel);
  datalabel2 = LimitLabelString(datalabel2);
  if (previous != 0 && rt::WindowExists(previous)) rt::SetOutputWindow(previous);
}

}  // namespace mv
