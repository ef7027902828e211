// The rules of the Sample Rate window as plain functions: the rate buttons and
// their intervals, the buttons each interface gets, the total-samples and
// duration buttons, the scope trace steps, the duration texts, the speed limit,
// the automatic-backup interval and the readings-averaged limit.
#pragma once
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/str255.h"

namespace mv {

// ---- rate buttons -----------------------------------------------------------------------
namespace RateButton {
constexpr int16_t Rate125 = 1, UseOther = 13, Rate250 = 67, Rate500 = 68;
constexpr int16_t FirstHighSpeed = 20, LastHighSpeed = 24;
}  // namespace RateButton

// The thirteen presets of the left column, top to bottom.
constexpr int16_t kPresetColumn[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 31};
// The high-speed scope column of a DataTaker in scope mode, top to bottom.
constexpr int16_t kHighSpeedColumn[] = {1, 20, 21, 22, 23, 24};

// The interval a rate button sets; nothing for 13 (the typed interval) and for
// numbers that are no rate button. Button 1 is 0.008 s whatever its label says.
std::optional<double> PresetInterval(int16_t code);
// The button's label; highSpeedColumn gives the labels of the DataTaker scope column.
Str255 RateButtonLabel(int16_t code, bool highSpeedColumn);
bool IsRateButton(int16_t code);

// What a variant offers for an interface: the extra buttons above the preset
// column (top to bottom), whether the high-speed column stands at the right,
// and the note with its pictures.
struct IntervalLayout {
  std::vector<int16_t> extraButtons;
  bool highSpeedColumn = false;
  const char* picture = "";        // from "MVimages"; "" none
  bool cautionIcon = false;
  std::vector<const char*> note;   // lines; an italic word is handled by the window
  bool demoNote = false;           // the demonstration note with its italic " real "
  Str255 scopeChartNote;           // text field 20 of scope plus chart with an interface
};
IntervalLayout LayoutFor(bool scopeVariant, int16_t externalAD, int16_t demonstrationMode,
                         int16_t recordingMode);

// ---- total chart samples ------------------------------------------------------------------
// A control state change of the window, applied in order.
using StateChange = std::pair<int16_t, int16_t>;

// The count after a click on 40-50, 63-66 or 167 (44 is ">>|"); W is one screen
// of samples, M the capacity. Values are not yet limited to 10..M except where the
// button itself caps them.
int32_t CountAfterButton(int16_t code, int32_t samples, int32_t M, int32_t W);
// The refresh after a count or duration click: the count made to lie in 10..M
// (below 10 with the refusal buzz) and the button states in their order.
struct CountRefresh {
  int32_t samples = 0;
  bool refused = false;
  std::vector<StateChange> states;
};
CountRefresh RefreshCountButtons(int32_t samples, int32_t M, int32_t W);
// The states of the count buttons when the window opens.
std::vector<StateChange> InitialCountStates(int32_t samples, int32_t M, int32_t W);

// ---- duration buttons ----------------------------------------------------------------------
constexpr int16_t kFirstDurationButton = 51, kLastDurationButton = 62;
// The duration of a button in ticks (0 for other numbers).
int32_t DurationTicks(int16_t code);
Str255 DurationLabel(int16_t code);
// The count a duration button sets: its ticks at the interval, at most M. Taken in
// floating point before the cut, so a tiny interval never overflows the count.
int32_t DurationSamples(int16_t code, double intervalSeconds, int32_t M);
// Whether a duration button is offered at the interval (at least 100 samples, and
// from one minute up within the capacity).
bool DurationOffered(int16_t code, double intervalSeconds, int32_t M);

// ---- scope trace ---------------------------------------------------------------------------
struct TraceStep {
  int32_t scopeMax = 0;
  std::vector<StateChange> states;
};
// The trace buttons 17 "|<<", 18 "<<", 19 ">>", 39 ">>|" in steps of W.
TraceStep ScopeTraceStep(int16_t code, int32_t scopeMax, int32_t W, int32_t maxScope);
// The longest trace a DT800 keeps at an interval: 2,048 at 0.008 s, 4,096 at 0.004 s,
// 8,192 at 0.002 s, else 16,384.
int32_t Dt800TraceLimit(double intervalSeconds);
// The high-speed download time in seconds of one trace.
int32_t DownloadSeconds(int32_t scopeMax, float scopeInterval);

// ---- duration texts ----------------------------------------------------------------------------
// A value with three significant digits; whole from 1,000 up, where three digits
// would need an exponent.
Str255 ThreeDigitText(double v);
// The duration line of the bottom box: "  Duration " + value + unit, and whether
// it is shown in minutes or longer (above 600 s).
struct DurationLine {
  Str255 text;
  int16_t minuteUnits = 0;
};
DurationLine DurationLineText(float seconds);
// "Maximum time = " + value + unit for M samples at the interval.
Str255 MaximumTimeText(int32_t M, double intervalSeconds);

// ---- speed limit ---------------------------------------------------------------------------------
// The shortest chart interval the interface keeps up with for n channels.
float SpeedLimit(int16_t externalAD, int16_t demonstrationMode, int16_t n, int16_t freeRunSpeed,
                 double intervalSeconds, int32_t maxDisplaySpeed);
// True when the interval is shorter than the limit (an equal interval is fine).
bool TooFast(float limit, double intervalSeconds);
// "for" + count + " channel !" or " channels !".
Str255 CautionChannelsText(int16_t n);

// ---- measured sweeps ------------------------------------------------------------------------------
// The margin an interval keeps over the interface's longest measured sweep: a quarter
// of it, and at least 5 ms. The sweep alone is not the sample: the run also converts,
// draws and stores every sample, the machine's load lengthens sweeps from one minute to
// the next (by a twentieth and more), and the wake for the next sample comes a little
// late; at short sweeps the few milliseconds of the wake and of the serial adapter
// outweigh any fraction.
inline constexpr double kSweepMarginFraction = 0.25, kSweepMarginSeconds = 0.005;
// The shortest interval a sweep of this many seconds keeps with the margin, in whole
// milliseconds (rounded up).
double ShortestKeptInterval(double sweepSeconds);
// A DT800 chart recording reads in the logger's high-speed mode at intervals below this
// (the sample-interval window sets the mode as it closes), in its high-accuracy mode
// from it on.
inline constexpr double kDT800HighSpeedBelow = 0.1;
constexpr bool DT800HighSpeedInterval(double seconds) {
  return seconds < kDT800HighSpeedBelow;
}
// The measured caution: "CAUTION: too fast. 16 channels take 12.7 ms a sweep; shortest
// interval kept: 0.018 s".
Str255 MeasuredCautionText(int16_t n, double sweepSeconds, double keptSeconds);
// The title of the button that takes the kept interval: "Use 0.018 s".
Str255 UseKeptIntervalTitle(double keptSeconds);

// ---- automatic backup -----------------------------------------------------------------------------
// The backup interval in ticks when the box is switched on with the minutes typed:
// positive minutes count, else a positive interval stays, else 10 minutes.
int32_t BackupTicksSwitchedOn(double minutesTyped, int32_t currentTicks);
// The backup interval on closing with the box on: "(off)" switches it off; other
// texts are minutes as above.
int32_t BackupTicksOnClose(const Str255& fieldText, int32_t currentTicks);

// ---- readings averaged -------------------------------------------------------------------------------
// The most readings averaged into one chart sample, 1 to 32,767; no channels count
// as one.
int16_t MaxAverageFor(double chartIntervalSeconds, int16_t n, int16_t externalAD);
// MaxAvrg from ChartIntervalInSeconds, nChannels and External_AD.
void MAXAVERAGE();

}  // namespace mv
