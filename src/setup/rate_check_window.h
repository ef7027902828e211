// The rate check after a run: the "Recording Check" window that sets the achieved
// chart (and scope) rate against the requested one, the decision of the interval
// the data files store, and the "Sample Rate Precision" dialog that chooses the
// accepted deviation.
#pragma once
#include <cstdint>

#include "kit/rate_rule.h"
#include "runtime/str255.h"

namespace mv {

constexpr int16_t kRecordingCheckWindow = 33;
constexpr int16_t kRatePrecisionWindow = 19;
constexpr int16_t kRatePrecisionHelpTopic = 183;
// The preference slot holding the chosen tolerance button (1..8).
constexpr int kRateToleranceSlot = 13;

// ---- rules ------------------------------------------------------------------------------------
// The tolerance of radio button 11..18 (0.05 down to 0.001); 0 for other numbers.
float ToleranceForButton(int16_t button);
// The radio button (11..18) that shows the tolerance slot's value; a slot outside
// 1..8 shows the default (button 12, 3 %).
int16_t ToleranceButtonForSlot(int16_t slot);

// The heading of the check: an interval of 1 s or more is spoken of as an
// interval, a shorter one as a rate. The out-of-tolerance page aligns it differently.
Str255 RateCheckHeading(float requested, bool outOfTolerance);
// Height of the plain "Recording Check" window: 167 after a rate change, 150 in
// scope-plus-chart mode, else 70.
int16_t RecordingCheckHeight(int16_t recordingMode, bool rateChanged);

// A run that lost its serial line says how long, in a static field under the values
// (the window grows by kLineLostHeight, the tick gives way to the caution icon).
constexpr int16_t kLineLostField = 34;
constexpr int16_t kLineLostHeight = 22;
// "serial port lost for 4.5 s", " 22 s", or " 3 min 5 s" from two minutes on.
Str255 LineLostText(double seconds);

// One value line of the window: " sec" values for intervals of 1 s or more,
// "/sec" rates (the reciprocal) for shorter ones.
struct RateValue {
  Str255 value;
  Str255 unit;
};
RateValue RateValueText(double requestedInterval, double interval, int significantDigits = 0);

// The right end of a gauge's fill: trunc(fraction × span + start), kept within
// start..limit (a fraction that is not a number fills nothing).
int16_t GaugeFillEnd(double fraction, double span, int16_t start, int16_t limit);

// The scope rates of the last sweep in samples per second: achieved A from the
// samples per trace and the sweep's ticks (none when no sweep was timed), requested
// Q from the scope interval. They are compared unrounded, so a slow scope (an
// interval above 2 s, a rate below one per second) is judged as truly as a fast one.
struct ScopeRates {
  bool timed = false;
  double achieved = 0;
  double requested = 0;
  bool withinThreePercent = false;
};
ScopeRates ScopeRatesOf(int32_t scopeMax, int32_t lastScopeDur, double scopeInterval);
// A scope rate as the window shows it: whole samples per second, and a rate below
// one per second with the program's significant digits (never a rounded 0).
Str255 ScopeRateText(double rate);

// ---- windows ----------------------------------------------------------------------------------
// The check after a run: measures the run from its timing record against the
// requested interval, sets SampleInterval and shows the window beside the intervals
// the run was recorded with (a set-up changed since is the next run's); the sound
// flag lets a deviation buzz.
void CHECKSAMPLERATE(const ChartRunTiming& run, float requested, int16_t soundFlag);
// Draws the "Recording Check" window (window 33) for the decision; leaves
// |ratio - 1| in Kfloat. A chart run with fewer than 2 samples (no interval to
// measure) is shown as such, with the requested value only.
void SHOWSAMPLERATE(const RateDecision& d, float requested, int16_t soundFlag);
// The scope rate lines, drawn into the current window from y = top.
void ShowDutyFactor(int16_t top);
// The tolerance dialog (window 19).
void SampleRatePRECISION();

}  // namespace mv
