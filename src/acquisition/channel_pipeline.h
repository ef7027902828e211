// What the sample takers do with one channel's reading once they have it: count an
// over-range, convert, apply the gas-exchange step and smoothing, check the alarm
// limits, zero a channel whose switched device is off, show the status texts and the
// readout, plot the point and store the value. The chart sample taker, scan averaging
// and the scope-plus-chart taker differ only in the details a PipelineStyle names.
#pragma once
#include <cstdint>

#include "runtime/types.h"

namespace mv {

struct PipelineStyle {
  const char* deviceOnSuffix;   // after the device number
  const char* referencePrefix;  // before the reference device number
  const char* referenceSuffix;  // after it
  const char* zeroedText;       // a zeroed channel's device status
  const char* upperLimitText;   // the high alarm's status
  const char* zeroReadout;      // the readout of a value of 0
  bool slopeTrend;              // the readout carries the slope-trend mark
};
extern const PipelineStyle kChartStyle;       // the chart sample taker
extern const PipelineStyle kScanStyle;        // scan averaging
extern const PipelineStyle kScopeChartStyle;  // the scope-plus-chart taker

// Alarm status texts and colours.
inline constexpr const char* kNoErrorText = "    no error    ";
inline constexpr const char* kOverRangeText = " Overrange error";
inline constexpr const char* kLowerLimitText = " < lower limit!";
inline constexpr RGBColor kAlarmTextColour{65535, 65535, 0};
inline constexpr RGBColor kAlarmBackColour{65535, 0, 0};

// Readout fields of the acquisition window for channel ch.
constexpr int16_t ValueReadoutField(int16_t ch) {
  return static_cast<int16_t>(ch + 6);
}
constexpr int16_t AlarmStatusField(int16_t ch) {
  return static_cast<int16_t>(ch + 30);
}
constexpr int16_t DeviceStatusField(int16_t ch) {
  return static_cast<int16_t>(ch + 50);
}

struct ChannelOutcome {
  float value = 0;   // the final value (shown and plotted)
  float stored = 0;  // what column Sample of the store received
  int16_t y = 0;     // the plotted y
  bool alarmFired = false;
};

// One channel ch (1..16) of the present sample: reading is its averaged volts,
// overRange whether a raw reading reached the interface's range with the channel's
// over-range alarm on, x the sample's x pixel. Stores at column Sample, draws the
// segment from the channel's last point and leaves channel field 12 at the new y.
ChannelOutcome RunChannelPipeline(int16_t ch, float reading, bool overRange, int16_t x,
                                  const PipelineStyle& style);

// A new run: no channel has stored a value yet (a gas-exchange rate whose flow
// channel has none is the bad-reading mark).
void ForgetStoredValuesOfRun();

// Whether channel ch's value in the last sample stored was the zero of a device
// switched off (or of its zero link) in place of its reading.
bool ZeroedInLastSample(int16_t ch);

// The stored value of channel k at a column; 0 outside the store.
float StoredValue(int16_t channel, int32_t column);

// Plays the alarm buzz.
void PlayAlarmBuzz();

}  // namespace mv
