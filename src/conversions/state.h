// Program-wide values owned by this subsystem: the conversion records of every
// channel, the working coefficients, the custom conversion buttons, the
// gas-exchange records, the spike-filter ratios and the calibration points.
#pragma once
#include <array>
#include <cstdint>

#include "control/state.h"
#include "runtime/str255.h"

namespace mv {

// ---- conversion records ----------------------------------------------------------------
// Breakpoint record: breakpoint volts, then three equations (initial, below, at or
// above) each as on/kind/a/b/c, two spares, the two operators and the two inputs.
constexpr int kBreakpointFields = 22;
constexpr int kBreakpointRows = 23;  // rows 1-16 channels, 17-22 stored conversions
using BreakpointRecord = std::array<float, kBreakpointFields>;
extern std::array<BreakpointRecord, kBreakpointRows> BreakpointArray;

// Three-way polynomial record: p0-p3, spare, result factor K, volts factor m.
constexpr int kThreeWayFields = 7;
using ThreeWayPolyRecord = std::array<float, kThreeWayFields>;
extern std::array<ThreeWayPolyRecord, 17> polyarray;  // row 0: the three-way button's copy

// Working coefficients a, b, c of the channel or fit in hand, the converted value,
// the truncated type code of the channel being converted and the proposed range.
extern float aval;
extern float bval;
extern float exponent;
extern float v;
extern int16_t ConversionType;
extern float miny;
extern float maxy;

// ---- custom conversion buttons -----------------------------------------------------------
constexpr int kCustomValues = 128;
extern std::array<float, kCustomValues> conversionsArray;
extern Str255 buttonlbls;   // nine 25-character titles
extern Str255 butcomments;  // eight 30-character channel labels
extern Str255 but1lbls;     // the three-way button's 30-character label

// ---- gas exchange --------------------------------------------------------------------------
constexpr int kGasFields = 21;
using GasExchangeRecord = std::array<float, kGasFields>;
extern std::array<GasExchangeRecord, 17> SpecialOpsArray;
// The value the gas-exchange step takes for a zero, kept with a set-up.
extern float ValueForZeroInGasExchange;

// ---- spike filter --------------------------------------------------------------------------
extern std::array<float, 17> SpikeFilterArray;  // per channel; 1 or less is off
extern float SpikeFilterRatio;
// The spike filter as the run in hand uses it, kept when the run starts: whether it is
// on and each channel's threshold (0 for a channel it does not filter). Every data
// file of the run reports this, whatever the settings say by the time it is saved.
struct SpikeFilterRun {
  bool on = false;
  std::array<float, 17> thresholds{};
};
extern SpikeFilterRun SpikeFilterOfRun;

// ---- channels and conversions of the run in hand ----------------------------------------------
// The channels as the run in hand recorded them, kept when the run starts: how many
// there were, and each one's hardware input, readings averaged, type code, a, b, c and
// label, with the three-way button's row that the files carry. The store's rows are
// the run's channels in this order, so every data file of the run describes and fills
// its channels from here, and so does every window that shows the stopped run (replay,
// alarm log): a channel cut, added, moved or converted otherwise after the run applies
// to the next run, whose start takes them again. What changes while the run records
// (a pause sets plot ranges, alarms count) is taken again when it stops, and so are
// the run's intervals, which a set-up changed after the run must not rewrite either.
struct ChannelConversionOfRun {
  float typeCode = 0, a = 0, b = 0, c = 0;
  float input = 0;     // the hardware input the channel read
  float averaged = 0;  // readings averaged per sample, as set
  Str255 label;        // the 30-character label field the files carry
  // The plot range and the strip the run's screen showed the channel with.
  float plotMin = 0, plotMax = 0, stripHeight = 0, stripBottom = 0;
  AlarmConditionsRecord alarms{};  // its limits and the run's counts
};
struct ConversionsRun {
  bool taken = false;                                 // a run has started since the recording mode was chosen
  int16_t channelCount = 0;                           // the channels the run recorded
  std::array<ChannelConversionOfRun, 17> channels{};  // rows 1..16
  ThreeWayPolyRecord threeWay{};
  // The intervals the run was asked for and its sweep length: the rate check and the
  // saves measure the run against them.
  float chartInterval = 0;  // the requested chart interval the stored interval is decided on
  double chartSeconds = 0;  // the chart interval in seconds, as the rate check shows it
  double scopeSeconds = 0;  // the scope interval in seconds
  int32_t scopeMax = 0;     // the sweep length
  // The interface the run read, whether it was the demonstration generator, and whether
  // every channel was averaged over all its scans: the files' header states them for the
  // run, whatever the A-D menu says by the time it is saved.
  int16_t externalAD = 0;
  int16_t demonstration = 0;
  bool continuousScan = false;
};
extern ConversionsRun ConversionsOfRun;

// ---- direct calibration --------------------------------------------------------------------
// Rows 1-100: value 1 the typed value, 2 the volts, 3 the residual.
extern std::array<std::array<float, 4>, 101> autocalibrationArray;

// Start-up contents of the breakpoint rows 1-22 (row 0 zero).
void WriteBreakpointStartValues();
// Start-up contents of the custom buttons (table, titles, labels); also copies the
// three-way button into polyarray row 0.
void WriteCustomConversionPresets();
// polyarray row 0 := the three-way button's p0-p3, K and m (values 100-105), so the
// files that carry row 0 carry the button.
void CopyThreeWayButtonToPolyRow0();

void ResetConversionsState();

}  // namespace mv
