#include "setup/channel_check_window.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "conversions/evaluate.h"
#include "conversions/needs.h"
#include "devices/datataker_reader.h"
#include "devices/dispatcher.h"
#include "devices/needs.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kWindow = kChannelCheckWindow;
constexpr int16_t kValueField = 1;
// 632 pixels wide: the window and its frame fit the narrowest display (640).
constexpr int16_t kTraceLeft = 60, kTraceRight = 474, kTraceTop = 90, kTraceBottom = 240;
constexpr int16_t kWindowWidth = 632;
constexpr int kEquationWidth = 603;
constexpr int kSableSerialInput = 15;
constexpr int16_t kAbandonedPass = -999;
constexpr int kDemonstrationPassMs = 4;
constexpr RGBColor kBlack{0, 0, 0};

bool ScopeModes() {
  return RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart;
}

// What one opening of the window works with.
struct CheckContext {
  int16_t channel = 1;
  int16_t input = 0;
  float minimum = 0, maximum = 0;
  RGBColor data{}, background{};
};

Str255 Plain(float v) {
  return NumText(v);
}

// The label cut so that the top line stays inside the window.
Str255 FittedLine(Str255 head, Str255 label, const rt::FontSpec& font) {
  TRUNCATE(label);
  Str255 line = head + label;
  while (line.size() > head.size() && rt::TextWidth(line.str(), font) > kWindowWidth - 20) {
    label = Str255(label.str().substr(0, label.size() - 1));
    line = head + label;
  }
  return line;
}

void DrawHeadings(const CheckContext& c) {
  const rt::FontSpec big = KitFont(KestraneFont, 14);
  const bool stream = External_AD == ExternalADCode::SerialStream;
  const Str255 head =
      Str255("Channel") + NumText(c.channel) + ", input" + NumText(c.input) + (stream ? ":" : ": ");
  rt::DrawText(10, 22, FittedLine(head, ChannelLabel(c.channel), big).str(), big, kBlack);
  const Str255 equation = ChannelEquationText(ConversionType, aval, bval, exponent,
                                              BreakpointArray[c.channel], polyarray[c.channel]);
  rt::FontSpec font = KitFont(KestraneFont, 12);
  if (rt::TextWidth(equation.str(), font) > kEquationWidth) font = KitFont(KestraneFont, 9);
  rt::DrawText(10, 50, equation.str(), font, kBlack);
}

void DrawTraceArea(const CheckContext& c) {
  rt::FillRect(kTraceLeft, kTraceTop, kTraceRight - kTraceLeft + 1, kTraceBottom - kTraceTop + 1,
               c.background.red / 65535.0, c.background.green / 65535.0, c.background.blue / 65535.0);
  const rt::FontSpec small = KitFont(KestraneFont, 10);
  rt::DrawText(10, kTraceTop + 10, NumText(c.maximum).str(), small, kBlack);
  rt::DrawText(10, kTraceBottom, NumText(c.minimum).str(), small, kBlack);
}

void BuildRadios(int16_t first, int16_t last, const char* const* titles, int16_t y, int16_t width) {
  for (int16_t b = first; b <= last; ++b) {
    const int16_t left = static_cast<int16_t>(80 + (b - first) * width);
    rt::NewControl(b, rt::ControlType::RadioButton, titles[b - first],
                   Rect{left, y, static_cast<int16_t>(left + width - 4), static_cast<int16_t>(y + 18)}, 1);
  }
}

void BuildCheckWindow(const CheckContext& c, bool averagingButtons) {
  BuildWINDOW(kWindow, "Conversion and Display Test", 40, 60, 40 + kWindowWidth, 400, 6);
  rt::FillWindow(LightGray);
  DrawHeadings(c);
  DrawTraceArea(c);
  BUILDEF(kValueField, "", 484, 130, 622, 176, 7, 2);
  rt::SetEditFont(kValueField, KitFont(KestraneFont, 28));
  const rt::FontSpec label = KitFont(KestraneFont, 13);
  rt::DrawText(14, 279, "Update:", label, kBlack);
  static constexpr const char* kUpdates[] = {"Continuous", ".25 sec", ".5 sec", "1 sec"};
  BuildRadios(CheckButton::Continuous, CheckButton::Second, kUpdates, 266, 100);
  if (averagingButtons) {
    rt::DrawText(14, 309, "Average:", label, kBlack);
    static constexpr const char* kCounts[] = {"1", "4", "20", "50", "100"};
    BuildRadios(CheckButton::One, CheckButton::Hundred, kCounts, 296, 60);
  }
  rt::NewControl(CheckButton::Help, rt::ControlType::PushButton, "?", Rect{474, 292, 504, 318}, 1);
  rt::NewControl(CheckButton::Done, rt::ControlType::DefaultButton, "Done", Rect{522, 292, 622, 318}, 1);
}

void SetState(int16_t control, int16_t state) {
  if (rt::ControlExists(control)) rt::SetControlState(control, state);
}

// A counter input on the DT500/DT600 and DT50 starts from the chosen count.
void StartDataTakerCounter(const CheckContext& c) {
  if (External_AD != ExternalADCode::DT500 && External_AD != ExternalADCode::DT50) return;
  if (DataTakerChannels[c.channel][DataTakerWord::Counter] == 0) return;
  SerialLine().Write(CounterPresetLine(static_cast<float>(c.input), counterstart));
}

float OneReading(const CheckContext& c) {
  float reading;
  if (External_AD == ExternalADCode::SerialStream) {
    services::ReadSerialStream(1);
    reading = c.input >= 1 && c.input <= 16 ? serialArray[c.input][1] : volts;
  } else if (External_AD == ExternalADCode::Demonstration) {
    reading = static_cast<float>(0.001 * rt::Rnd(800) + 0.3);
    if (c.channel == 1 && ScopeModes() && ScopeGain != 0) reading /= static_cast<float>(ScopeGain);
  } else {
    serialWasRead = 0;
    ReadExternalADdevice(c.channel, 0);
    reading = volts;
  }
  if (AbsoluteValue != 0 && c.channel == nChannels) reading = std::fabs(reading);
  return reading;
}

void DrawTracePoint(const CheckContext& c, int16_t y, int16_t& previousY) {
  if (previousY < 0) previousY = y;
  rt::ScrollCanvas(Rect{kTraceLeft, kTraceTop, static_cast<int16_t>(kTraceRight + 1),
                        static_cast<int16_t>(kTraceBottom + 1)},
                   -1);
  rt::FillRect(kTraceRight, kTraceTop, 1, kTraceBottom - kTraceTop + 1, c.background.red / 65535.0,
               c.background.green / 65535.0, c.background.blue / 65535.0);
  CGDrawLineNoAliasing(kTraceRight - 1, previousY, kTraceRight, y, c.data);
  previousY = y;
}

// One click in the window; true when it ends the window.
bool TakeClick() {
  const bool done = ChannelCheckMouse() == 1;
  Action = 0;
  return done;
}

bool EndRequested() {
  return rt::KeyIsDown(rt::key::Escape) || (Action == ActionCode::Key && EventID == 27) ||
         Action == kAbandonedPass || Action == ActionCode::CloseBox;
}

void RunCheckLoop(const CheckContext& c) {
  bool done = false;
  int16_t previousY = -1;
  uint32_t nextRefresh = rt::TickCount() + static_cast<uint32_t>(std::max<int16_t>(0, PrefsArray[49]));
  while (!done) {
    rt::PumpEvents();
    if (!rt::WindowExists(kWindow)) return;
    rt::SetOutputWindow(kWindow);
    if (Action == ActionCode::Click) done = TakeClick();
    if (EndRequested()) done = true;
    Action = 0;
    // At least one reading, so the average never divides by zero.
    const int32_t n = std::max<int16_t>(1, PrefsArray[PrefsSlot::LiveTestReadings]);
    float sum = 0;
    bool abandoned = false;
    for (int32_t i = 0; i < n && !abandoned; ++i) {
      // A reader pumps while it waits: what it let in is read before anything more.
      if (Action == ActionCode::Nothing) rt::PumpEvents(0);
      if (Action == ActionCode::Click) {
        done = TakeClick() || done;
        abandoned = true;
        break;
      }
      if (EndRequested()) done = true;
      sum += OneReading(c);
    }
    if (abandoned || !rt::WindowExists(kWindow)) continue;
    rt::SetOutputWindow(kWindow);
    const float V = static_cast<float>(static_cast<double>(sum) / n);
    volts = V;
    const float value = EvaluateConversion(c.channel, V, ASCIIvalue);
    const int16_t period = PrefsArray[PrefsSlot::TestUpdateOption];
    const uint32_t now = rt::TickCount();
    if (period <= 0 || now > nextRefresh) {
      rt::SetEditText(kValueField, NumText(value));
      if (period > 0) nextRefresh = now + static_cast<uint32_t>(period);
    }
    DrawTracePoint(c, CheckTraceY(value, c.minimum, c.maximum), previousY);
    rt::FlushWindow();
    // Random readings come at once: a short rest keeps the loop from taking a
    // whole processor, as a real interface's replies would.
    if (External_AD == ExternalADCode::Demonstration) rt::Delay(kDemonstrationPassMs);
  }
}

CheckContext LoadChannel(int16_t channel) {
  CheckContext c;
  c.channel = channel;
  LoadWorkingCoefficients(channel);
  if (channel == 1 && ScopeModes()) bval = 1;
  const ChannelVariablesRecord& r = ChannelVariables[channel];
  maxy = r[ChanField::PlotMax];
  miny = r[ChanField::PlotMin];
  c.maximum = maxy;
  c.minimum = miny;
  c.input = WholeCode(r[ChanField::Input]);
  const bool scopeColours = RecordingMODE == RecordingModeCode::Scope ||
                            (RecordingMODE == RecordingModeCode::ScopeChart && channel == 1);
  if (scopeColours) {
    c.data = ScopeDataColor;
    c.background = PrefsArray[PrefsSlot::DT800FastScope] == 1 ? FastScopeBackground : ScopeBackgroundColor;
  } else {
    c.data = ChartDataColor;
    c.background = ChartBackgroundColor;
  }
  return c;
}

// Slot 48 as the window starts: a default when none was chosen, 1 where the
// interface gives one value per line. False when the averaging buttons are left out.
bool PrepareAveraging(const CheckContext& c) {
  int16_t& count = PrefsArray[PrefsSlot::LiveTestReadings];
  if (count <= 0) count = DefaultTestAveraging(External_AD);
  const bool single = External_AD == ExternalADCode::SerialStream ||
                      (External_AD == ExternalADCode::SableUI2 && c.input == kSableSerialInput);
  if (single) count = 1;
  return !single;
}

}  // namespace

// ---- rules ----------------------------------------------------------------------------------------

Str255 ChannelEquationText(int16_t type, float a, float b, float c, const BreakpointRecord& breakpoint,
                           const ThreeWayPolyRecord& poly) {
  Str255 s("equation:  ");
  if (type == ConversionTypeCode::ThreeWay) {
    return s + "V=volts*" + Plain(poly[6]) + "; data= " + Plain(poly[5]) + "*[" + Plain(poly[0]) + " + (V*" +
           Plain(poly[1]) + ") + (V^2*" + Plain(poly[2]) + ") + (V^3*" + Plain(poly[3]) + ")]";
  }
  if (type == ConversionTypeCode::Breakpoint)
    return s + "complex conversion with breakpoint at" + Plain(breakpoint[0]) + " volts";
  if (type == ConversionTypeCode::None) return s + "volts (no conversion)";
  if (type == ConversionTypeCode::Keyboard) return s + "the value of the last recording key";
  if (a != 0) {
    s = s + Plain(a);
    if (b >= 0) s = s + " + ";
  }
  if (type == ConversionTypeCode::Logarithmic) return s + Plain(b) + "*log10(volts)";
  if (type == ConversionTypeCode::Reciprocal) return s + Plain(b) + "/volts";
  s = s + Plain(b) + "*volts";
  if (type == ConversionTypeCode::Polynomial) {
    s = s + " ";
    if (c != 0) {
      if (c > 0) s = s + " + ";
      s = s + Plain(c) + "*volts^2";
    }
  } else if (c != 0 && c != 1) {
    s = s + "^" + Plain(c);
  }
  return s;
}

int16_t CheckTraceY(float value, float minimum, float maximum) {
  const double range = 150.0 / (static_cast<double>(maximum) - minimum);
  const double y = kTraceBottom - (static_cast<double>(value) - minimum) * range;
  if (!(y >= kTraceTop)) return std::isnan(y) ? kTraceBottom : kTraceTop;
  if (y > kTraceBottom) return kTraceBottom;
  return static_cast<int16_t>(y);
}

int16_t DefaultTestAveraging(int16_t interfaceCode) {
  if (interfaceCode == ExternalADCode::SableUI2 || interfaceCode == ExternalADCode::SableUI3) return 4;
  if (interfaceCode == ExternalADCode::Demonstration) return 10;
  return 1;
}

int16_t AveragingButtonFor(int16_t count) {
  switch (count) {
    case 4:
      return CheckButton::Four;
    case 20:
      return CheckButton::Twenty;
    case 50:
      return CheckButton::Fifty;
    case 100:
      return CheckButton::Hundred;
    default:
      return CheckButton::One;
  }
}

int16_t UpdateButtonFor(int16_t ticks) {
  switch (ticks) {
    case 15:
      return CheckButton::Quarter;
    case 30:
      return CheckButton::Half;
    case 60:
      return CheckButton::Second;
    default:
      return CheckButton::Continuous;
  }
}

// ---- the window ---------------------------------------------------------------------------------

int16_t ChannelCheckMouse() {
  const int32_t id = EventID;
  if (id < CheckButton::Continuous || id > CheckButton::Help) return 0;
  const int16_t button = static_cast<int16_t>(id);
  const bool averaging = button >= CheckButton::One;
  for (int16_t b = averaging ? CheckButton::One : CheckButton::Continuous;
       b <= (averaging ? CheckButton::Hundred : CheckButton::Second); ++b)
    SetState(b, 1);
  SetState(button, 2);
  static constexpr int16_t kPeriods[] = {0, 15, 30, 60};
  static constexpr int16_t kCounts[] = {1, 4, 20, 50, 100};
  if (button <= CheckButton::Second) {
    PrefsArray[PrefsSlot::TestUpdateOption] = kPeriods[button - CheckButton::Continuous];
  } else if (button <= CheckButton::Hundred) {
    PrefsArray[PrefsSlot::LiveTestReadings] = kCounts[button - CheckButton::One];
  } else if (button == CheckButton::Done) {
    return 1;
  } else {
    DoHelpWindow(kChannelCheckHelpTopic);
    SetState(CheckButton::Help, 1);
    if (rt::WindowExists(kWindow)) {
      rt::BringWindowForward(kWindow);
      rt::SetOutputWindow(kWindow);
    }
  }
  return 0;
}

void CHECKCHANNEL(int16_t channel) {
  const HandlerScope callersHandlers;
  if (channel < 1 || channel > 16) return;
  const CheckContext c = LoadChannel(channel);
  if (External_AD == ExternalADCode::DT800) FlushDT800Buffer(0);
  upVipSOUND();
  const bool averagingButtons = PrepareAveraging(c);
  BuildCheckWindow(c, averagingButtons);
  StartDataTakerCounter(c);
  PrefsArray[PrefsSlot::TestUpdateOption] = 0;
  SetState(CheckButton::Continuous, 2);
  SetState(AveragingButtonFor(PrefsArray[PrefsSlot::LiveTestReadings]), 2);
  rt::FlushWindow();
  Action = 0;
  EventID = 0;
  InstallDialogHandlers(NoMENU);
  RunCheckLoop(c);
  rt::CloseWindow(kWindow);
  rt::FlushEvents();
  downVipSOUND();
  services::SetUpMENUs(1);
  Action = ActionCode::Redraw;
}

}  // namespace mv
