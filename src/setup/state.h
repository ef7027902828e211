// Program-wide values owned by this subsystem.
#pragma once
#include <array>
#include <cstdint>

#include "kit/state.h"
#include "runtime/str255.h"

namespace mv {

// ---- channel table -------------------------------------------------------------------
// Row 0 holds each channel's conversion type code at the channel's number (column 0
// belongs to the switching set-up: the one switched channel of the sequential
// patterns); rows 1 to 16 are the channels' records.
constexpr int kChannelFields = 18;
constexpr int kChannelRows = 17;
using ChannelVariablesRecord = std::array<float, kChannelFields>;
extern std::array<ChannelVariablesRecord, kChannelRows> ChannelVariables;

// Field numbers of a ChannelVariablesRecord. Whole numbers are held as floats and
// read back by truncation toward zero.
namespace ChanField {
constexpr int Gain = 0;                  // ADC-1 gain code: 1 automatic, 2 fixed low, 3 fixed high
constexpr int Input = 1;                 // 1-based hardware input
constexpr int A = 2, B = 3, C = 4;       // conversion coefficients
constexpr int PlotMax = 5, PlotMin = 6;  // visible range, channel units
constexpr int Averaged = 7;              // readings per chart sample; 0 continuous
constexpr int StripHeight = 8, StripBottom = 9, StripTop = 10, BottomLess2 = 11, BottomCopy = 12;
constexpr int Device = 13;  // switched device; 0 none
}  // namespace ChanField

extern int16_t nChannels;
// The channel labels (datalabel, datalabel2) are the kit's: every floor reads them
// through the one label rule.

// 12 on a display exactly 480 pixels high, else 16; set once at start-up.
extern int16_t MaximumChans;
// First channel the chart scan records (2 in scope-plus-chart mode).
extern int16_t FirstChan;
// The input chosen in the input selection dialog, 1-based.
extern int16_t InputNumber;
// Readings averaged, as chosen in the averaging dialog.
extern int32_t SamplesToAverage;

// ---- deleting and re-ordering channels ----------------------------------------------------
// Deletion marks by channel (1 = delete).
extern std::array<int16_t, 17> chancut;
// Entry p: the old number of the channel that takes position p.
extern std::array<int16_t, 17> NewChannelOrder;

// ---- sample intervals -------------------------------------------------------------------
// The chart and scope intervals in seconds (64-bit), the scope interval as 32-bit, the
// accepted intervals of the sample-rate window with their button codes (13 a typed
// interval) and the typed-interval flags.
extern double ChartIntervalInSeconds;
extern double ScopeIntervalInSeconds;
extern float scopeinterval;
extern double OldChartSpeed;
extern int16_t OldChartSpeedBut;
extern double OldScopeSpeed;
extern int16_t OldScopeSpeedBut;
extern int16_t AltChartInt;
extern int16_t AltScopeInt;
// Relative deviation of the achieved sample rate that the rate check accepts.
extern float SampRateError;
// The channel the per-channel dialogs changed last (0 none).
extern int16_t LastChanModified;
// The chart interval as 32-bit; the interval the sample-rate window leaves for its
// caller; the most readings that fit into one chart interval; the points of a scope
// sweep.
extern float ChartSampleInterval;
extern double SampleIntervalinSeconds;
extern int16_t MaxAvrg;
extern int32_t ScopeMax;
// 1 while the set-up window is open.
extern int16_t DispSetupON;
// The set-up window's way out: Setup OK sets FinishFlag (StartOver, the other way,
// belongs to the control loop). DisplaySetupEFchanged asks the open set-up window to
// build its rows again (the ADAM input windows set it when they close).
extern int16_t FinishFlag;
extern int16_t DisplaySetupEFchanged;
// Seconds of one scope trace (ScopeMax x the scope interval), or minutes once the
// set-up window has shown it in minutes.
extern float sctracelength;
// The sample-rate window's working button code (100 while its backup box is handled),
// the last interval typed and taken with "Use Other Interval", and the chart copy of it.
extern int16_t SamplingSpeedCode;
extern float NewInterval;
extern float interval;
// Time per sample in the unit of the duration shown (seconds, or minutes when
// minute_units is 1).
extern float tfact;
// The scope channel: full-scale volts, gain, counts per volt.
extern float Vmax;
extern int16_t ScopeGain;
extern float scd;
// Scratch value some windows leave for their callers (the sample-rate window: the
// readings averaged in high-speed DataTaker scope mode; the rate check: the ratio's
// distance from 1).
extern float Kfloat;
// Continuous averaging of the last channel averages absolute values.
extern int16_t AbsoluteValue;
// Input-use marks by input number 1-16 (1.0 used; row 0 unused).
extern std::array<float, 17> ChannelButtonsArray;
// The texts of the scaling dialog's maximum and minimum (at most 22 characters).
extern Str255 minyString;
extern Str255 maxYstring;
// The chart interval written into data files, as decided by the rate check.
extern float SampleInterval;

void ResetSetupState();

}  // namespace mv
