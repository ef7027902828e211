// The "Alarm Log" window: what each chart channel's alarms were set to in the last
// run, how many samples raised them and the sample of the last one.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kAlarmLogWindow = 5;
constexpr int16_t kAlarmLogOK = 1;

// The interface's over-range rule as the head of the over-range column shows it.
Str255 OverRangeRuleText(int16_t externalAD);
// The rule the log heads its over-range column with: that of the interface the last run
// read (its counts are that run's), whatever interface is chosen since.
Str255 RunOverRangeRuleText();
// A run's alarm count as the log shows it: "   none" for 0, else the number.
Str255 AlarmCountText(float count);
// The first of the eight fields of channel n's row (16n + 2 .. 16n + 9).
constexpr int16_t AlarmLogField(int16_t channel, int16_t column) {
  return static_cast<int16_t>(16 * channel + 2 + column);
}

// The window; modal until OK, Return or Enter (or its close box).
void SHOWALARMS();

}  // namespace mv
