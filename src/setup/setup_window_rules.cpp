#include "setup/setup_window_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "conversions/equation_panel.h"
#include "devices/state.h"
#include "kit/channel_values.h"
#include "kit/format.h"
#include "kit/state.h"
#include "setup/interval_rules.h"

namespace mv {

namespace {

constexpr int16_t kLowerArea = 114;    // count panel, buttons, status line, Restart and Setup OK
constexpr int16_t kBottomMargin = 8;   // kept free below the window on a low display
constexpr int16_t kLeastHeight = 300;  // rows, the speed box and the lower area still fit
constexpr int16_t kScopeBoxHeight = 63;

int16_t Clamp16(int v, int lo, int hi) {
  return static_cast<int16_t>(std::clamp(v, lo, hi));
}

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Whole counts shown in the narrow averaging column: digits only, no sign blank.
Str255 WholeText(double v) {
  if (!std::isfinite(v)) return "0";
  return Str255(std::to_string(static_cast<long long>(std::trunc(v))));
}

}  // namespace

// ---- title and layout -------------------------------------------------------------------------

Str255 SetupWindowTitle(int16_t recordingMode, int16_t externalAD) {
  Str255 title;
  switch (recordingMode) {
    case RecordingModeCode::Scope:
      title = "OSCILLOSCOPE";
      break;
    case RecordingModeCode::ScopeChart:
      title = "SCOPE plus CHART";
      break;
    default:
      title = "CHART";
      break;
  }
  title = title + " Mode";
  if (externalAD == ExternalADCode::SerialStream) title = title + "  (read serial stream)";
  return title + " Acquisition Parameters";
}

int16_t ExtraHeight(int16_t recordingMode, int16_t maximumChans) {
  if (recordingMode != RecordingModeCode::Chart) return 0;
  if (maximumChans <= 12) return 0;
  return maximumChans == 16 ? 105 : 80;
}

SetupLayout SetupLayoutFor(int16_t recordingMode, int16_t maximumChans, int displayHeight) {
  SetupLayout l;
  l.extra = ExtraHeight(recordingMode, maximumChans);
  const int room = std::max<int>(kLeastHeight, displayHeight - kSetupTop - kBottomMargin);
  l.height = Clamp16(std::min(kSetupBaseHeight + l.extra, room), kLeastHeight, 2000);
  l.lowerTop = static_cast<int16_t>(l.height - kLowerArea);
  l.statusBaseline = static_cast<int16_t>(l.height - 31);
  l.scopeTop = static_cast<int16_t>(std::min(288, l.lowerTop - kScopeBoxHeight - 6));
  const int rowsEnd = (recordingMode == RecordingModeCode::ScopeChart ? l.scopeTop : l.lowerTop) - 4;
  l.visibleRows = Clamp16((rowsEnd - RowBaseline(1)) / 22 + 1, 1, 16);
  return l;
}

int16_t ClampFirstRow(int16_t first, int16_t visible, int16_t n) {
  const int last = std::max(1, n - std::max<int>(visible, 1) + 1);
  return Clamp16(first, 1, last);
}

int16_t PagedFirstRow(int16_t first, int16_t direction, int16_t visible, int16_t n) {
  // One row of the previous page stays in sight.
  const int step = std::max(1, visible - 1);
  return ClampFirstRow(Clamp16(first + direction * step, -32000, 32000), visible, n);
}

// ---- sample counts -------------------------------------------------------------------------------

int32_t ChartCountAfter(int16_t button, int32_t samples, int32_t W, int32_t M) {
  W = std::max<int32_t>(W, 1);
  M = std::max<int32_t>(M, 1);
  switch (button) {
    case SetupItem::FirstScreen:
      return std::min(W, M);
    case SetupItem::ChartLess:
      if (samples <= W) return samples;
      return std::min(std::max(samples - W, W), M);
    case SetupItem::ChartMore:
      return Clamp32(std::min<int64_t>(static_cast<int64_t>(samples) + W, M));
    case SetupItem::LastScreen:
      return M;
    default:
      return samples;
  }
}

CountStates ChartCountStates(int32_t samples, int32_t W, int32_t M) {
  return {static_cast<int16_t>(samples > W ? 1 : 0), static_cast<int16_t>(samples < M ? 1 : 0), 1};
}

int32_t ScopeTraceLimit(int16_t externalAD, double scopeInterval, int32_t maximumScopeSamples) {
  if (externalAD == ExternalADCode::DT800) return Dt800TraceLimit(scopeInterval);
  return std::max<int32_t>(maximumScopeSamples, 1);
}

int32_t ScopeCountAfter(int16_t button, int32_t scopeMax, int32_t W, int32_t limit) {
  W = std::max<int32_t>(W, 1);
  limit = std::max<int32_t>(limit, 1);
  switch (button) {
    case SetupItem::ScopeMin:
      return W;
    case SetupItem::ScopeLess:
      if (scopeMax <= W) return scopeMax;
      return std::max(std::min(scopeMax - W, limit), W);
    case SetupItem::ScopeMore:
      return Clamp32(std::min<int64_t>(static_cast<int64_t>(scopeMax) + W, limit));
    case SetupItem::ScopeMaximum:
      return limit;
    default:
      return scopeMax;
  }
}

CountStates ScopeCountStates(int32_t scopeMax, int32_t W, int32_t limit) {
  return {static_cast<int16_t>(scopeMax > W ? 1 : 0), static_cast<int16_t>(scopeMax < limit ? 1 : 0),
          static_cast<int16_t>(scopeMax != limit ? 1 : 0)};
}

// ---- readings-averaged column ----------------------------------------------------------------------

AveragingCell AveragingCellFor(int16_t channel, int16_t n, int16_t recordingMode, bool scanning, float field7,
                               int16_t maxAvrg, int32_t scopeSamplesPerChartSample) {
  using Kind = AveragingCell::Kind;
  switch (recordingMode) {
    case RecordingModeCode::Scope:
      return {Kind::Text, "N.A."};
    case RecordingModeCode::ScopeChart:
      if (channel == 1) return {Kind::Text, "1"};
      return {Kind::Text, WholeText(scopeSamplesPerChartSample)};
    default:
      break;
  }
  if (scanning) return {Kind::Text, " scan"};
  const bool last = channel == n;
  double value = std::trunc(static_cast<double>(field7));
  if (value == 0) value = last ? 0 : maxAvrg;
  if (last) return {Kind::Button, value == 0 ? Str255("cont") : WholeText(value)};
  return {Kind::Field, WholeText(value)};
}

int32_t ScopeSamplesPerChartSample(double chartInterval, double scopeInterval, bool dt800FastScope,
                                   int32_t scopeMax, float scopeInterval32) {
  if (dt800FastScope) {
    const double t = scopeMax / 2000.0 + static_cast<double>(scopeInterval32) * scopeMax;
    const double k = t > 0 ? std::trunc(scopeInterval / t) - 1 : 0;
    return k > 1 ? Clamp32(static_cast<int64_t>(10 * std::min(k, 2.0e8))) : 10;
  }
  if (!(scopeInterval > 0) || !std::isfinite(chartInterval)) return 1;
  const double q = std::trunc(chartInterval / scopeInterval);
  if (!(q >= 1)) return 1;
  return q >= 2147483647.0 ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(q);
}

float OpeningScopeChartAveraged(float chartInterval, float scopeInterval) {
  if (!(scopeInterval > 0)) return 1.0f;
  const float q = std::trunc(chartInterval / scopeInterval);
  return q >= 1.0f && std::isfinite(q) ? q : 1.0f;
}

// ---- reading the rows back ---------------------------------------------------------------------------

bool RowShowsCoefficients(float typeCode) {
  const auto type = static_cast<int>(std::trunc(typeCode));
  return type != 5 && type != 6;
}

bool CoefficientsReadBack(const ChannelVariablesRecord& record, float typeCode) {
  return RowShowsCoefficients(typeCode) && record[ChanField::A] != 9999.0f;
}

float ReadBackValue(std::string_view text) {
  return CoefficientFromText(text);
}

float ReadBackAveraged(std::string_view text, float old) {
  const double v = std::trunc(TextToNumber(text));
  if (!(v >= 1.0) || ReadingsAveragedProblem(v)) return old;
  return static_cast<float>(v);
}

std::optional<std::string> TypedAveragedProblem(int16_t channel, std::string_view text) {
  const double v = std::trunc(TextToNumber(text));
  if (!(v >= 1.0)) return std::nullopt;
  const auto why = ReadingsAveragedProblem(v);
  if (!why) return std::nullopt;
  std::string count = PrintedNumber(v).str();
  count.erase(0, count.find_first_not_of(' '));
  return "Channel " + std::to_string(channel) + " averages " + count + " readings: " + *why + ".";
}

// ---- enabling -------------------------------------------------------------------------------------------

SetupEnabling SetupEnablingFor(int16_t recordingMode, int16_t n, int16_t externalAD, double chartInterval,
                               int32_t sample) {
  SetupEnabling e;
  const bool stream = externalAD == ExternalADCode::SerialStream;
  switch (recordingMode) {
    case RecordingModeCode::ScopeChart:
      // Channel 1 is the scope channel: cutting down to it would leave no chart.
      e.add = !stream && n < 5;
      e.cut = !stream && n > 2;
      e.rearrange = n >= 3;
      break;
    case RecordingModeCode::Scope:
      break;
    default:
      e.add = !stream && n < 16;
      e.cut = !stream && n > 1;
      e.rearrange = n >= 2;
      break;
  }
  e.screenView = n > 1;
  e.restart = sample == 0;
  e.beep = recordingMode != RecordingModeCode::Scope && chartInterval >= 0.2;
  return e;
}

// ---- hardware inputs -----------------------------------------------------------------------------------

int16_t InputsOutOfRange(const std::array<ChannelVariablesRecord, kChannelRows>& table, int16_t n,
                         int16_t inputCount) {
  int16_t count = 0;
  for (int c = 1; c <= std::clamp<int>(n, 0, 16); ++c)
    if (std::trunc(table[c][ChanField::Input]) > inputCount) ++count;
  return count;
}

InputWarningText InputWarningTexts(int16_t count, int16_t inputCount) {
  InputWarningText t;
  const bool one = count == 1;
  t.title = one ? "AD input out of range" : "AD inputs out of range";
  t.caution = "CAUTION:  ";
  t.assignment =
      one ? Str255("an A-D input assignment exceeds") : NumText(count) + " A-D input assignments exceed";
  t.range = Str255("the range of hardware A-D inputs  (1 -") + NumText(inputCount) + ")";
  t.fixThis = "Fix this, ";
  t.consequence = "or Mirevant may crash or freeze!";
  return t;
}

// ---- texts -----------------------------------------------------------------------------------------------

Str255 SampleEveryText(bool scope, double seconds) {
  return Str255(scope ? " Scope sample every " : " Chart sample every ") + NumText(seconds) + " sec  ";
}


ScopeLines ScopeLinesFor(double scopeInterval, int32_t scopeMax) {
  ScopeLines s;
  s.every = Str255("Scope sample every ") + NumText(scopeInterval) + " sec ";
  const double seconds = static_cast<double>(scopeMax) * scopeInterval;
  const bool minutes = seconds > 600;
  s.sctracelength = static_cast<float>(minutes ? seconds / 60 : seconds);
  s.duration =
      Str255("Scope duration is ") + StringFormatter(s.sctracelength) + (minutes ? " min " : " sec ");
  return s;
}

std::vector<StatusPiece> StatusTexts(int16_t recordingMode, int16_t triggerOn, int16_t switchingMode,
                                     float chartView) {
  std::vector<StatusPiece> pieces;
  pieces.push_back(triggerOn != 0 ? StatusPiece{"Trigger ON", true} : StatusPiece{"No Trigger", false});
  if (recordingMode != RecordingModeCode::Scope)
    pieces.push_back({switchingMode != 0 ? "    Switching ON" : "    No Switching", false});
  if (recordingMode == RecordingModeCode::Chart)
    pieces.push_back({chartView > 1 ? "   Compressed" : "       Normal    ", false});
  return pieces;
}

}  // namespace mv
